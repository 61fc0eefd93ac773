#include "platform/inet/internet_session.h"

#include "platform/ui/win_app.h"

CInternetSession::CInternetSession(const char* agent, DWORD_PTR context, DWORD, const char*, const char*, DWORD)
    : m_agent(agent ? agent : AfxGetAppName()), m_context(context)
{
}

CInternetSession::~CInternetSession() { Close(); }

void CInternetSession::Close()
{
    m_statusCallback = false;
    m_open = false;
}

BOOL CInternetSession::EnableStatusCallback(BOOL enable)
{
    m_statusCallback = enable != FALSE;
    return TRUE;
}

void CInternetSession::OnStatusCallback(DWORD_PTR, DWORD, const void*, DWORD) {}
