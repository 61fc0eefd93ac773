// SPDX-License-Identifier: MIT
// The wizard window as it first appears: texts, fields, focus, tab order,
// the window itself, and the layout in pixels from the template.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest/QTest>

#include "platform/qt/dialog_units.h"
#include "platform/ui/resources.h"
#include "res/resource.h"
#include "tests/gui/qt_wizard_fixture.h"

namespace {

using WindowLayoutTest = QtWizardTest;

QString Loaded(unsigned id) { return QString::fromStdString(AfxLoadString(id)); }

TEST_F(WindowLayoutTest, ShowsTheStringTableTextsAndEmptyFields)
{
    StartWizard();
    EXPECT_EQ(Widget<QLabel>(IDC_INTRO).text(), Loaded(IDS_INTRODUCTION));
    EXPECT_EQ(Widget<QLabel>(IDC_ADDRESS_LABEL).text(), Loaded(IDS_ADDRESS_LABEL));
    EXPECT_EQ(Widget<QLabel>(IDC_PASSWORD_LABEL).text(), Loaded(IDS_PASSWORD_LABEL));
    EXPECT_EQ(Widget<QPushButton>(IDCANCEL).text(), Loaded(IDS_CANCEL));
    EXPECT_EQ(Widget<QPushButton>(IDC_CONTINUE).text(), Loaded(IDS_CONTINUE));
    EXPECT_EQ(Widget<QLineEdit>(IDC_ADDRESS).text(), Loaded(IDS_DEFAULT_ADDRESS));
    EXPECT_EQ(Widget<QLineEdit>(IDC_PASSWORD).text(), "");
    EXPECT_EQ(Widget<QLineEdit>(IDC_PASSWORD).echoMode(), QLineEdit::Password);
    EXPECT_EQ(Widget<QLabel>(IDC_STATUS).text(), "");
    EXPECT_EQ(Widget<QLabel>(IDC_STATUS).frameShadow(), QFrame::Sunken);
}

TEST_F(WindowLayoutTest, ContinueIsFocusedAndDefaultAndTabFollowsTheTemplate)
{
    StartWizard();
    auto& cont = Widget<QPushButton>(IDC_CONTINUE);
    EXPECT_TRUE(cont.isDefault());
    EXPECT_FALSE(Widget<QPushButton>(IDCANCEL).isDefault());
    ASSERT_EQ(Window().focusWidget(), &cont);

    const std::vector<QWidget*> order = {&Widget<QPushButton>(IDCANCEL), &Widget<QLineEdit>(IDC_ADDRESS),
                                         &Widget<QLineEdit>(IDC_PASSWORD), &cont};
    for (QWidget* expected : order) {
        Press(Window(), Qt::Key_Tab);
        EXPECT_EQ(Window().focusWidget(), expected) << expected->objectName().toStdString();
    }
}

TEST_F(WindowLayoutTest, IsAFixedSizeTopLevelWindowCentredOnTheScreen)
{
    StartWizard();
    QWidget& window = Window();
    EXPECT_EQ(window.windowTitle(), "Varn Halvex Lan Modem Upgrade Wizard");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.windowType(), Qt::Window);
    EXPECT_FALSE(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(16, 16)));
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(32, 32)));
    EXPECT_EQ(window.geometry().center(), window.screen()->availableGeometry().center());
}

// The base units are the dialog font's: the average width of the 52 letters
// and the height.
TEST_F(WindowLayoutTest, SizesComeFromDialogUnitsOfTheDialogFont)
{
    StartWizard();
    const QFontMetrics metrics(Window().font());
    const DialogBaseUnits units = BaseUnitsOf(Window().font());
    const double average = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0;
    EXPECT_LE(std::abs(units.x - average), 0.5);
    EXPECT_EQ(units.y, metrics.height());

    EXPECT_EQ(Window().size(), QSize(MulDiv(245, units.x, 4), MulDiv(183, units.y, 8)));
    EXPECT_EQ(Widget<QPushButton>(IDC_CONTINUE).geometry(), DialogUnitsToPixels(units, 107, 142, 58, 14));
    EXPECT_EQ(Widget<QLineEdit>(IDC_PASSWORD).geometry(), DialogUnitsToPixels(units, 150, 116, 77, 13));
    EXPECT_EQ(Widget<QLabel>(IDC_STATUS).geometry(), DialogUnitsToPixels(units, 3, 168, 239, 12));
}

// The picture takes its bitmap's size and a one-pixel border; only its
// position comes from the template. The group box has no title.
TEST_F(WindowLayoutTest, SidePictureHasItsBitmapsSizeAndGroupBoxNoTitle)
{
    StartWizard();
    const DialogBaseUnits units = BaseUnitsOf(Window().font());
    const QList<QLabel*> labels = Window().findChildren<QLabel*>("-1");
    auto picture = std::find_if(labels.begin(), labels.end(), [](QLabel* l) { return !l->pixmap().isNull(); });
    ASSERT_NE(picture, labels.end());
    EXPECT_EQ((*picture)->pixmap().size(), QSize(126, 252));
    EXPECT_EQ((*picture)->geometry(), QRect(DialogUnitsToPixels(units, 5, 4, 0, 0).topLeft(), QSize(128, 254)));

    const QList<QGroupBox*> boxes = Window().findChildren<QGroupBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0]->title(), "");
}

}  // namespace
