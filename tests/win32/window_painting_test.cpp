// SPDX-License-Identifier: MIT
// The window stays painted while a command blocks the message loop: what
// the run shows is on the screen before it returns, the transfer's bar
// included.
#include "tests/win32/win32_wizard_fixture.h"

#include <commctrl.h>

#include "res/resource.h"

namespace {

using WindowPaintingTest = Win32WizardTest;

BOOL CALLBACK FindUnpainted(HWND child, LPARAM unpainted)
{
    if (GetUpdateRect(child, nullptr, FALSE)) *reinterpret_cast<bool*>(unpainted) = true;
    return TRUE;
}

// Whether nothing of the window waits for the message loop to be painted.
bool Painted(HWND window)
{
    bool unpainted = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    EnumChildWindows(window, &FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

SIZE ClientSize(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// Called as the run calls the window, without a return to the message loop
// in between.
TEST_F(WindowPaintingTest, WhatTheRunShowsIsPaintedAtOnceTheTransferBarIncluded)
{
    StartWizard();
    const SIZE templateSize = ClientSize(Window());
    ASSERT_TRUE(Painted(Window()));

    Wizard().m_Status = "Attempting to connect to LAN Modem";
    Wizard().UpdateData(FALSE);
    EXPECT_TRUE(Painted(Window()));
    Wizard().GetDlgItem(IDC_CONTINUE)->ShowWindow(SW_HIDE);
    EXPECT_TRUE(Painted(Window()));
    Wizard().GetDlgItem(IDC_CONTINUE)->ShowWindow(SW_SHOW);
    EXPECT_TRUE(Painted(Window()));

    Wizard().ShowProgress({"fw512000.bin", true, 256 * 1024, 512 * 1024});
    HWND bar = m_host->ProgressWindow(Wizard());
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(Painted(Window()));
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 256);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 512);
    // The bar lies under the status line, inside the window grown for it.
    RECT status{};
    RECT placed{};
    GetWindowRect(Control(IDC_STATUS), &status);
    GetWindowRect(bar, &placed);
    EXPECT_GE(placed.top, status.bottom);
    EXPECT_EQ(ClientSize(Window()).cx, templateSize.cx);
    EXPECT_GT(ClientSize(Window()).cy, templateSize.cy);

    Wizard().EndProgress();
    EXPECT_EQ(m_host->ProgressWindow(Wizard()), nullptr);
    EXPECT_EQ(ClientSize(Window()).cy, templateSize.cy);
    EXPECT_TRUE(Painted(Window()));
}

}  // namespace
