// SPDX-License-Identifier: MIT
// A whole upgrade through the Win32 dialogs against the device simulator:
// the status line and the transfer's bar follow the run while it blocks the
// message loop, and the run ends on the completion screen.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/windows/wide_text.h"
#include "platform/ui/resources.h"
#include "res/resource.h"
#include "tests/support/devsim.h"
#include "tests/win32/win32_wizard_fixture.h"

#include <commctrl.h>

namespace {

// Notes what the run sends to the status line and to a transfer's bar.
class RunWatch {
public:
    explicit RunWatch(HWND status) : m_status(status)
    {
        g_watch = this;
        m_hook = SetWindowsHookExW(WH_CALLWNDPROC, &RunWatch::OnSent, nullptr, GetCurrentThreadId());
    }
    ~RunWatch()
    {
        UnhookWindowsHookEx(m_hook);
        g_watch = nullptr;
    }
    RunWatch(const RunWatch&) = delete;
    RunWatch& operator=(const RunWatch&) = delete;

    std::vector<std::string> statusTexts;
    std::vector<LPARAM> barPositions;

private:
    static LRESULT CALLBACK OnSent(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && g_watch) g_watch->Note(sent);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Note(const CWPSTRUCT& sent)
    {
        if (sent.hwnd == m_status && sent.message == WM_SETTEXT)
            statusTexts.push_back(Utf8(reinterpret_cast<const wchar_t*>(sent.lParam)));
        if (sent.message == PBM_SETPOS) barPositions.push_back(static_cast<LPARAM>(sent.wParam));
    }

    static inline RunWatch* g_watch = nullptr;
    HWND m_status;
    HHOOK m_hook;
};

using UpgradeRunTest = Win32WizardTest;

TEST_F(UpgradeRunTest, StatusAndBarFollowTheRunWhichEndsOnTheCompletionScreen)
{
    const std::string image(600 * 1024, '\x42');
    WriteFileText(m_dir / "package" / "fw512000.bin", image);
    DevSim device({"--password", "secret", "--throttle", "200000"});
    m_env.Set("NDXU_HTTP_PORT", std::to_string(device.HttpPort()));
    m_env.Set("NDXU_FTP_PORT", std::to_string(device.FtpPort()));
    m_env.Set("NDXU_CONNECT_TIMEOUT", "5");
    m_env.Set("NDXU_RECEIVE_TIMEOUT", "5");

    std::unique_ptr<RunWatch> watch;
    std::vector<int> visibleButtons;
    std::string exitText;
    HWND focusAtEnd = nullptr;
    HWND barAtEnd = nullptr;
    const int code = RunApplication([&] {
        watch = std::make_unique<RunWatch>(Control(IDC_STATUS));
        SetWindowTextW(Control(IDC_ADDRESS), L"127.0.0.1");
        SetWindowTextW(Control(IDC_PASSWORD), L"secret");
        SendMessageW(Control(IDC_CONTINUE), BM_CLICK, 0, 0);
        for (int id : {IDC_CONTINUE, IDCANCEL})
            if (IsWindowVisible(Control(id))) visibleButtons.push_back(id);
        wchar_t text[32] = L"";
        GetWindowTextW(Control(IDCANCEL), text, 32);
        exitText = Utf8(text);
        focusAtEnd = GetFocus();
        barAtEnd = m_host->ProgressWindow(Wizard());
        SendMessageW(Control(IDCANCEL), BM_CLICK, 0, 0);
    });

    EXPECT_EQ(code, 0);
    EXPECT_TRUE(m_boxes->Boxes().empty());
    EXPECT_EQ(visibleButtons, std::vector<int>{IDCANCEL});
    EXPECT_EQ(exitText, AfxLoadString(IDS_EXIT));
    EXPECT_NE(focusAtEnd, nullptr);
    EXPECT_EQ(barAtEnd, nullptr);
    for (unsigned step : {IDS_CONNECTING, IDS_PASSWORD_RECOGNIZED, IDS_UPGRADING_FIRMWARE_WAIT, IDS_UPGRADE_COMPLETED})
        EXPECT_NE(std::find(watch->statusTexts.begin(), watch->statusTexts.end(), AfxLoadString(step)),
                  watch->statusTexts.end())
            << AfxLoadString(step);
    ASSERT_GE(watch->barPositions.size(), 3u);
    EXPECT_TRUE(std::is_sorted(watch->barPositions.begin(), watch->barPositions.end()));
    EXPECT_EQ(watch->barPositions.back(), 600);
    EXPECT_EQ(ReadFileText(device.FtpRoot() / "fw512000.bin"), image);
}

}  // namespace
