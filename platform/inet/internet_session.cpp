// SPDX-License-Identifier: MIT
#include "platform/inet/internet_session.h"

#include "platform/base/application.h"

// The context, access type, proxy and flags need no state: every session is
// synchronous and takes the system's proxy settings.
CInternetSession::CInternetSession(const char* agent, DWORD_PTR, DWORD, const char*, const char*, DWORD)
    : m_agent(agent ? agent : AfxGetAppName())
{
}

CInternetSession::~CInternetSession() { Close(); }

void CInternetSession::Close() { m_statusCallback = false; }

BOOL CInternetSession::EnableStatusCallback(BOOL enable)
{
    m_statusCallback = enable != FALSE;
    return TRUE;
}

void CInternetSession::OnStatusCallback(DWORD_PTR, DWORD, const void*, DWORD) {}
