// SPDX-License-Identifier: MIT
#include "platform/inet/wininet/wininet_link.h"

#include <string_view>
#include <utility>

#include "platform/inet/wininet/call_pool.h"
#include "platform/inet/wininet/wininet_errors.h"

namespace {

// The longest reply text taken from WinInet at once.
constexpr DWORD kMaxReplyText = 4096;

}  // namespace

std::shared_ptr<WinInetLink> WinInetLink::Open(const std::string& agent, bool ftp)
{
    HINTERNET root = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!root) throw CInternetException(InternetErrorOf(GetLastError()));
    std::shared_ptr<WinInetLink> link(new WinInetLink(root, ftp));
    if (InternetSetStatusCallbackA(root, &WinInetLink::OnStatus) == INTERNET_INVALID_STATUS_CALLBACK)
        throw CInternetException(InternetErrorOf(GetLastError()));
    return link;
}

WinInetLink::WinInetLink(HINTERNET root, bool ftp) : m_root(root), m_ftp(ftp) {}

WinInetLink::~WinInetLink() { CloseHandles(); }

WinInetLink::Activity WinInetLink::Snapshot() const
{
    const std::lock_guard lock(m_mutex);
    return m_activity;
}

void WinInetLink::NoteActivity()
{
    const std::lock_guard lock(m_mutex);
    m_activity.last = Clock::now();
}

void WinInetLink::StartExchange()
{
    const std::lock_guard lock(m_mutex);
    m_activity.last = Clock::now();
    m_activity.responseBytes = 0;
    m_activity.replies.Clear();
}

void WinInetLink::CloseInBackground(std::shared_ptr<WinInetLink> link)
{
    if (!link) return;
    RunInBackground([link = std::move(link)] { link->CloseHandles(); });
}

void WinInetLink::CloseHandles()
{
    for (HINTERNET* handle : {&m_item, &m_connection, &m_root}) {
        if (*handle) InternetCloseHandle(*handle);
        *handle = nullptr;
    }
}

void CALLBACK WinInetLink::OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD length)
{
    if (context) reinterpret_cast<WinInetLink*>(context)->Take(status, information, length);
}

void WinInetLink::Take(DWORD status, const void* information, DWORD length)
{
    const std::lock_guard lock(m_mutex);
    switch (status) {
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
        m_activity.connected = true;
        m_activity.last = Clock::now();
        break;
    case INTERNET_STATUS_REQUEST_SENT: m_activity.last = Clock::now(); break;
    case INTERNET_STATUS_RESPONSE_RECEIVED: {
        m_activity.last = Clock::now();
        if (information && length >= sizeof(DWORD)) m_activity.responseBytes += *static_cast<const DWORD*>(information);
        if (!m_ftp) break;
        // The reply just received is this thread's last response.
        DWORD code = 0;
        char text[kMaxReplyText];
        DWORD size = sizeof text;
        if (InternetGetLastResponseInfoA(&code, text, &size))
            m_activity.replies.TakeReply(std::string_view(text, size));
        break;
    }
    default: break;
    }
}
