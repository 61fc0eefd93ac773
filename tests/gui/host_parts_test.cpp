// SPDX-License-Identifier: MIT
// The Qt host's parts: the conversion of dialog units, static texts, the
// program's images, message boxes, the wait cursor and the quit message.
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <optional>

#include "platform/qt/dialog_units.h"
#include "platform/qt/resource_images.h"
#include "platform/qt/static_text.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "tests/gui/qt_wizard_fixture.h"

namespace {

using HostTest = QtWizardTest;

TEST(DialogUnits, RoundLikeMulDiv)
{
    EXPECT_EQ(MulDiv(85, 6, 4), 128);  // 127.5
    EXPECT_EQ(MulDiv(-85, 6, 4), -128);
    EXPECT_EQ(MulDiv(183, 13, 8), 297);  // 297.375
    EXPECT_EQ(MulDiv(14, 13, 8), 23);    // 22.75
    EXPECT_THROW(MulDiv(1, 1, 0), std::invalid_argument);
    EXPECT_EQ(DialogUnitsToPixels({6, 13}, 107, 142, 58, 14), QRect(161, 231, 87, 23));
}

TEST(StaticText, AmpersandMarksAMnemonicUnlessTheControlShowsItAsIs)
{
    EXPECT_EQ(StaticDisplayText("&About", false), "About");
    EXPECT_EQ(StaticDisplayText("R&&D", false), "R&D");
    EXPECT_EQ(StaticDisplayText("trailing&", false), "trailing");
    EXPECT_EQ(StaticDisplayText("R&&D &About", true), "R&&D &About");
}

TEST(ResourceImages, IconHasBothSizesAndSidePictureItsOwn)
{
    const QList<QSize> sizes = LoadIconResource(IDR_MAINFRAME).availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)));
    EXPECT_EQ(LoadBitmapResource(IDB_SIDEPICTURE).size(), QSize(126, 252));
    try {
        LoadBitmapResource(999);
        ADD_FAILURE() << "a missing image was loaded";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "the program has no image resource 999");
    }
}

TEST_F(HostTest, MessageBoxesShowTheirIconAndPlainText)
{
    m_host->MessageBox(nullptr, "<b>a</b> & b", "Caption", MessageIcon::Exclamation);
    m_host->MessageBox(nullptr, "stop", "Caption", MessageIcon::Stop);
    AfxMessageBox("none", MB_OK);
    ASSERT_EQ(m_boxes.size(), 3u);
    EXPECT_EQ(m_boxes[0].text, "<b>a</b> & b");
    EXPECT_EQ(m_boxes[0].format, Qt::PlainText);
    EXPECT_EQ(m_boxes[0].caption, "Caption");
    EXPECT_EQ(m_boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(m_boxes[1].icon, QMessageBox::Critical);
    EXPECT_EQ(m_boxes[2].icon, QMessageBox::Warning);  // the application's box
    EXPECT_EQ(m_boxes[2].owner, nullptr);
}

// A dialog whose OK button sets the wait cursor and notes the cursor then.
class CursorProbe : public CDialog {
public:
    CursorProbe() : CDialog(IDD_ABOUTBOX) {}
    std::optional<Qt::CursorShape> seen;

protected:
    bool OnCommand(int id) override
    {
        AfxSetWaitCursor();
        const QCursor* cursor = QApplication::overrideCursor();
        seen = cursor ? cursor->shape() : Qt::ArrowCursor;
        return id == IDOK;
    }
};

TEST_F(HostTest, WaitCursorLastsUntilTheCommandReturns)
{
    CursorProbe probe;
    ASSERT_TRUE(probe.Create(IDD_ABOUTBOX));
    probe.ShowWindow(SW_SHOW);
    QTest::mouseClick(qobject_cast<QPushButton*>(m_host->ControlWidget(probe, IDOK)), Qt::LeftButton);
    EXPECT_EQ(probe.seen, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HostTest, QuitPostedBeforeTheLoopEndsTheLoopAsSoonAsItRuns)
{
    m_host->PostQuit(3);
    m_host->KeepPainted();
    EXPECT_EQ(m_host->RunMessageLoop(), 3);
}

TEST_F(HostTest, ModelChangesReachTheWidgetsAndTypingReachesTheModel)
{
    CUpgradeWizardDlg& wizard = StartWizard();
    wizard.SetDlgItemText(IDC_STATUS, "Working & waiting");
    wizard.GetDlgItem(IDC_CONTINUE)->ShowWindow(SW_HIDE);
    wizard.SetControlDefaultLook(IDCANCEL, true);
    wizard.GetDlgItem(IDC_PASSWORD)->SetFocus();
    EXPECT_EQ(Widget<QLabel>(IDC_STATUS).text(), "Working  waiting");
    EXPECT_FALSE(Widget<QPushButton>(IDC_CONTINUE).isVisible());
    EXPECT_TRUE(Widget<QPushButton>(IDCANCEL).isDefault());
    EXPECT_EQ(Window().focusWidget(), &Widget<QLineEdit>(IDC_PASSWORD));

    QTest::keyClicks(&Widget<QLineEdit>(IDC_PASSWORD), "s3cret");
    EXPECT_EQ(wizard.GetDlgItemText(IDC_PASSWORD), "s3cret");
    EXPECT_NE(Widget<QLineEdit>(IDC_PASSWORD).displayText(), "s3cret");
}

}  // namespace
