// SPDX-License-Identifier: MIT
#include "net/app_session.h"

#include "platform/ui/dialog.h"
#include "platform/ui/win_app.h"

CAppSession::CAppSession(const char* agent, DWORD_PTR context, DWORD accessType)
    : CInternetSession(agent, context, accessType)
{
}

void CAppSession::OnStatusCallback(DWORD_PTR, DWORD internetStatus, const void*, DWORD)
{
    if (CDialog* main = AfxGetMainWnd()) main->PostMessage(WM_APP_SESSION_STATUS, internetStatus, 0);
}
