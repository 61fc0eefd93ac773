// SPDX-License-Identifier: MIT
// A control of a dialog, addressed as a window of its own.
#pragma once

#include "platform/base/win_types.h"

class CDialog;

class CWnd {
public:
    CWnd() = default;
    CWnd(CDialog& dialog, int id) : m_pDialog(&dialog), m_nID(id) {}
    virtual ~CWnd() = default;

    // Binds this object to control `id` of `dialog`.
    void Attach(CDialog& dialog, int id);
    bool IsAttached() const { return m_pDialog != nullptr; }

    // Shows or hides the control; returns whether it was visible before.
    BOOL ShowWindow(int nCmdShow);
    void SetFocus();

    // The one message the program sends to a control: BM_SETSTYLE, whose
    // BS_DEFPUSHBUTTON gives a push button the default-button look.
    void SendMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    CDialog& Dialog() const;

    CDialog* m_pDialog = nullptr;
    int m_nID = 0;
};

class CButton : public CWnd {};
