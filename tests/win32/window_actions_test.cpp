// SPDX-License-Identifier: MIT
// What the user does to the wizard window: the ways to end the program, the
// About box from the system menu, and the message boxes with their icons.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/windows/wide_text.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "platform/win32/wait_cursor.h"
#include "res/program_version.h"
#include "res/resource.h"
#include "tests/win32/win32_wizard_fixture.h"

namespace {

using WindowActionsTest = Win32WizardTest;

std::string TextOf(HWND window)
{
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return Utf8(text);
}

BOOL CALLBACK CollectText(HWND child, LPARAM texts)
{
    reinterpret_cast<std::vector<std::string>*>(texts)->push_back(TextOf(child));
    return TRUE;
}

TEST_F(WindowActionsTest, EscapeCancelCloseBoxAndEnterOnCancelEndTheProgramWithCodeZero)
{
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"Escape", [this] { Press(Window(), VK_ESCAPE); }},
        {"Cancel clicked", [this] { SendMessageW(Control(IDCANCEL), BM_CLICK, 0, 0); }},
        {"close box", [this] { PostMessageW(Window(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Enter on Cancel",
         [this] {
             SendMessageW(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(IDCANCEL)), TRUE);
             Press(Window(), VK_RETURN);
         }},
    };
    for (const auto& [name, action] : ways) {
        SCOPED_TRACE(name);
        EXPECT_EQ(RunApplication(action), 0);
        EXPECT_EQ(m_app->Wizard(), nullptr);
    }
    EXPECT_TRUE(m_boxes->Boxes().empty());
}

TEST_F(WindowActionsTest, AboutEntryOpensTheModalAboutBoxWhichEscapeClosesAlone)
{
    std::string title;
    std::vector<std::string> texts;
    bool wizardDisabled = false;
    bool wizardBack = false;
    const int code = RunApplication([&] {
        PostMessageW(Window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        Later([&] {
            HWND about = GetActiveWindow();
            title = TextOf(about);
            EnumChildWindows(about, &CollectText, reinterpret_cast<LPARAM>(&texts));
            wizardDisabled = !IsWindowEnabled(Window());
            Press(about, VK_ESCAPE);
            Later([&] {
                wizardBack = IsWindowEnabled(Window()) && IsWindowVisible(Window());
                Press(Window(), VK_ESCAPE);
            });
        });
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(title, "About NDXU Upgrade Wizard");
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Version " NDXU_VERSION_TEXT), texts.end());
    EXPECT_TRUE(wizardDisabled);
    EXPECT_TRUE(wizardBack);
}

TEST_F(WindowActionsTest, MessageBoxesShowTheirIconOverTheWizardCaptionedWithTheApplicationName)
{
    StartWizard();
    const std::vector<std::pair<MessageIcon, BoxIcon>> icons = {
        {MessageIcon::None, BoxIcon::None},
        {MessageIcon::Exclamation, BoxIcon::Exclamation},
        {MessageIcon::Stop, BoxIcon::Stop},
    };
    for (const auto& [icon, shown] : icons) {
        const std::size_t before = m_boxes->Boxes().size();
        EXPECT_EQ(m_host->MessageBox(&Wizard(), "Alternate Prod.bin found.", AfxGetAppName(), icon), IDOK);
        ASSERT_EQ(m_boxes->Boxes().size(), before + 1);
        const SeenBox& box = m_boxes->Boxes().back();
        EXPECT_EQ(box.icon, shown);
        EXPECT_EQ(box.text, "Alternate Prod.bin found.");
        EXPECT_EQ(box.owner, Window());
    }
}

// Continue with an empty address: the dialog's own message box, without an
// icon; the wizard stays.
TEST_F(WindowActionsTest, ContinueWithoutAnAddressShowsTheDialogMessageBox)
{
    bool wizardOpen = false;
    const int code = RunApplication([&] {
        SetWindowTextW(Control(IDC_ADDRESS), L"");
        SendMessageW(Control(IDC_CONTINUE), BM_CLICK, 0, 0);
        wizardOpen = IsWindowVisible(Window());
        Press(Window(), VK_ESCAPE);
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(wizardOpen);
    ASSERT_EQ(m_boxes->Boxes().size(), 1u);
    EXPECT_EQ(m_boxes->Boxes()[0].text, AfxLoadString(IDS_NO_ADDRESS));
    EXPECT_EQ(m_boxes->Boxes()[0].caption, AfxGetAppName());
    EXPECT_EQ(m_boxes->Boxes()[0].icon, BoxIcon::None);
    EXPECT_FALSE(m_boxes->Boxes()[0].waitCursor);
    EXPECT_FALSE(WaitCursorShown());
}

}  // namespace
