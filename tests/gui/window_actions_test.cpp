// SPDX-License-Identifier: MIT
// What the user does to the wizard window: the ways to end the program, the
// About box, and an address that the wizard refuses.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QWindow>
#include <QtTest/QTest>

#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "res/program_version.h"
#include "res/resource.h"
#include "tests/gui/qt_wizard_fixture.h"

namespace {

class WindowActionsTest : public QtWizardTest {
protected:
    // Every control with an id of its own as the user sees it.
    std::vector<std::string> Screen()
    {
        std::vector<std::string> screen;
        for (const Control& control : Wizard().Controls()) {
            if (control.id() == IDC_STATIC) continue;
            QWidget* widget = m_host->ControlWidget(Wizard(), control.id());
            QString text;
            if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) text = edit->text();
            if (auto* button = qobject_cast<QPushButton*>(widget))
                text = button->text() + (button->isDefault() ? " (default)" : "");
            screen.push_back(std::to_string(control.id()) + " " + text.toStdString() +
                             (widget->isVisible() ? "" : " (hidden)") +
                             (Window().focusWidget() == widget ? " (focus)" : ""));
        }
        return screen;
    }

    // The About box's title and texts, once it is up; then `close` ends it.
    void InspectAboutBox(std::function<void(QWidget& about)> close)
    {
        Later([this, close] {
            QWidget* about = nullptr;
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->isVisible() && window != &Window() && window->parentWidget() == &Window()) about = window;
            if (!about) {
                ADD_FAILURE() << "no window over the wizard is up";
                return;
            }
            m_aboutTitle = about->windowTitle();
            for (QLabel* label : about->findChildren<QLabel*>()) m_aboutTexts << label->text();
            m_aboutModal = QApplication::activeModalWidget() == about;
            // The wizard takes no input while the About box is up.
            Press(Window(), Qt::Key_Escape);
            m_wizardUntouched = Window().isVisible();
            close(*about);
        });
    }

    void ExpectAboutBoxShownAndClosed()
    {
        EXPECT_EQ(m_aboutTitle, "About NDXU Upgrade Wizard");
        EXPECT_TRUE(m_aboutTexts.contains("Version " NDXU_VERSION_TEXT));
        EXPECT_TRUE(m_aboutModal);
        EXPECT_TRUE(m_wizardUntouched);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_TRUE(Window().isVisible());
    }

    QString m_aboutTitle;
    QStringList m_aboutTexts;
    bool m_aboutModal = false;
    bool m_wizardUntouched = false;
};

TEST_F(WindowActionsTest, EscapeCancelCloseBoxAndEnterOnCancelEndTheProgramWithCodeZero)
{
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"Escape", [this] { Press(Window(), Qt::Key_Escape); }},
        {"Cancel", [this] { Click(IDCANCEL); }},
        {"close box", [this] { Window().windowHandle()->close(); }},
        {"Enter on Cancel",
         [this] {
             Press(Window(), Qt::Key_Tab);
             Press(Window(), Qt::Key_Return);
         }},
    };
    for (const auto& [name, action] : ways) {
        SCOPED_TRACE(name);
        EXPECT_EQ(RunApplication(action), 0);
        EXPECT_EQ(m_app->Wizard(), nullptr);
    }
}

TEST_F(WindowActionsTest, ContextMenuEntryOpensTheAboutBoxModallyAndEscapeClosesOnlyIt)
{
    StartWizard();
    QStringList entries;
    Later([&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) {
            ADD_FAILURE() << "no context menu is up";
            return;
        }
        for (QAction* action : menu->actions())
            if (!action->isSeparator()) entries << action->text();
        InspectAboutBox([](QWidget& about) { Press(about, Qt::Key_Escape); });
        menu->setActiveAction(menu->actions().last());
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QTest::mouseClick(Window().windowHandle(), Qt::RightButton, {}, Widget<QLabel>(IDC_INTRO).geometry().center());

    EXPECT_EQ(entries, QStringList{"&About NDXU Upgrade Wizard..."});
    ExpectAboutBoxShownAndClosed();
}

TEST_F(WindowActionsTest, F1OpensTheAboutBoxAndItsOkButtonClosesIt)
{
    StartWizard();
    InspectAboutBox([](QWidget& about) {
        QTest::mouseClick(about.findChild<QPushButton*>(QString::number(IDOK)), Qt::LeftButton);
    });
    Press(Window(), Qt::Key_F1);
    ExpectAboutBoxShownAndClosed();
}

TEST_F(WindowActionsTest, EmptyAddressIsRefusedWithTheDialogsBoxAndNothingElseChanges)
{
    StartWizard();
    TypeInto(IDC_ADDRESS, "");
    EXPECT_EQ(Wizard().GetDlgItemText(IDC_ADDRESS), "");
    const std::vector<std::string> before = Screen();

    // Enter in the field presses the default button, Continue.
    Press(Window(), Qt::Key_Return);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, AfxLoadString(IDS_NO_ADDRESS));
    EXPECT_EQ(m_boxes[0].caption, "gui_tests");
    EXPECT_EQ(m_boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(m_boxes[0].owner, &Window());
    EXPECT_FALSE(m_boxes[0].waitCursor);
    EXPECT_EQ(Screen(), before);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    Click(IDC_CONTINUE);
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[1].text, m_boxes[0].text);
    EXPECT_TRUE(Widget<QPushButton>(IDC_CONTINUE).isVisible());
    EXPECT_EQ(Widget<QLabel>(IDC_STATUS).text(), "");
}

}  // namespace
