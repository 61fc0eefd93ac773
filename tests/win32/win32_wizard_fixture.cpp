// SPDX-License-Identifier: MIT
#include "tests/win32/win32_wizard_fixture.h"

#include <map>
#include <stdexcept>

#include "platform/ui/win_app.h"
#include "res/program_resources.h"
#include "res/resource.h"

namespace {

constexpr UINT kWatchdogMilliseconds = 60'000;
constexpr int kHungExitCode = 99;

std::map<UINT_PTR, std::function<void()>> g_later;

void CALLBACK RunLater(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    auto action = g_later.extract(timer);
    if (!action.empty()) action.mapped()();
}

void CALLBACK OnHung(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    ADD_FAILURE() << "the test hung; its message loops were ended";
    PostQuitMessage(kHungExitCode);
}

}  // namespace

void Win32WizardTest::SetUp()
{
    WizardSandboxTest::SetUp();

    m_host = std::make_unique<Win32Host>(GetModuleHandleW(nullptr), IDR_MAINFRAME);
    AfxSetHost(m_host.get());
    AfxSetResourceModule(&ProgramResources());
    m_boxes = std::make_unique<MessageBoxWatch>(AfxGetAppName());
    m_watchdog = SetTimer(nullptr, 0, kWatchdogMilliseconds, &OnHung);
}

void Win32WizardTest::TearDown()
{
    KillTimer(nullptr, m_watchdog);
    for (const auto& entry : g_later) KillTimer(nullptr, entry.first);
    g_later.clear();
    if (m_app && !m_ended) m_app->ExitInstance();
    m_app.reset();
    m_boxes.reset();
    m_host.reset();
    AfxSetHost(nullptr);
    // A quit message left over from the test must not end the next one.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message != WM_QUIT) DispatchMessageW(&message);
}

CUpgradeWizardDlg& Win32WizardTest::StartWizard()
{
    m_app = std::make_unique<CUpgradeWizardApp>();
    if (!m_app->InitInstance()) throw std::runtime_error("the application did not start");
    Settle();
    return Wizard();
}

int Win32WizardTest::RunApplication(std::function<void()> action)
{
    m_app = std::make_unique<CUpgradeWizardApp>();
    Later(std::move(action));
    m_ended = true;
    return AfxWinMain(*m_app);
}

void Win32WizardTest::Later(std::function<void()> action)
{
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, &RunLater);
    if (!timer) throw std::runtime_error("cannot set a timer");
    g_later[timer] = std::move(action);
}

void Win32WizardTest::Settle()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HWND Win32WizardTest::Window()
{
    HWND window = m_host->Window(Wizard());
    if (!window) throw std::runtime_error("the wizard has no window");
    return window;
}

HWND Win32WizardTest::Control(int id)
{
    HWND control = GetDlgItem(Window(), id);
    if (!control) throw std::runtime_error("the wizard has no control " + std::to_string(id));
    return control;
}

void Win32WizardTest::Press(HWND window, UINT key)
{
    HWND focus = GetFocus();
    HWND target = focus && (focus == window || IsChild(window, focus)) ? focus : window;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}
