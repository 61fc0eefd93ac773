// SPDX-License-Identifier: MIT
#include "platform/ui/wnd.h"

#include <stdexcept>

#include "platform/ui/dialog.h"

void CWnd::Attach(CDialog& dialog, int id)
{
    m_pDialog = &dialog;
    m_nID = id;
}

CDialog& CWnd::Dialog() const
{
    if (!m_pDialog) throw std::logic_error("window object is not attached to a control");
    return *m_pDialog;
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    bool wasVisible = Dialog().IsControlVisible(m_nID);
    Dialog().SetControlVisible(m_nID, nCmdShow != SW_HIDE);
    return wasVisible ? TRUE : FALSE;
}

void CWnd::SetFocus() { Dialog().SetControlFocus(m_nID); }

void CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != BM_SETSTYLE) throw std::logic_error("unsupported control message");
    (void)lParam;  // redraw: a host always shows the current look
    Dialog().SetControlDefaultLook(m_nID, (wParam & BS_DEFPUSHBUTTON) != 0);
}
