// SPDX-License-Identifier: MIT
// The WinInet side of one HTTP request or FTP connection: its handles, and
// what WinInet's status notifications tell about the traffic on them. The
// notifications arrive on the thread that makes a blocking call (see
// call_pool.h) while the caller's thread watches the time limits, so what
// they record is kept under a lock. A call that the caller gave up on keeps
// the link alive until the call returns.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/inet/ftp_replies.h"
#include "platform/inet/inet_types.h"

class WinInetLink {
public:
    using Clock = std::chrono::steady_clock;

    // What the traffic has shown so far.
    struct Activity {
        bool connected = false;           // the connection to the server is made
        Clock::time_point last{};         // the last sign of life: connected, request sent, reply or bytes in
        std::uint64_t responseBytes = 0;  // bytes of the server's responses taken in by WinInet
        FtpReplies replies;               // an FTP server's replies, line by line
    };

    // Opens WinInet for `agent` with the system's proxy settings; throws
    // CInternetException when it cannot. `ftp`: the server's replies are
    // recorded.
    static std::shared_ptr<WinInetLink> Open(const std::string& agent, bool ftp);
    // Closes the handles.
    ~WinInetLink();
    WinInetLink(const WinInetLink&) = delete;
    WinInetLink& operator=(const WinInetLink&) = delete;

    HINTERNET Root() const { return m_root; }
    // The context value that ties WinInet's notifications to this link.
    DWORD_PTR Context() const { return reinterpret_cast<DWORD_PTR>(this); }

    // The connection (InternetConnect) and the item on it (a request, an
    // FTP file); closing the link closes them too.
    HINTERNET Connection() const { return m_connection; }
    void SetConnection(HINTERNET connection) { m_connection = connection; }
    HINTERNET Item() const { return m_item; }
    void SetItem(HINTERNET item) { m_item = item; }

    Activity Snapshot() const;
    // Something moved: restarts the idle clock.
    void NoteActivity();
    // A new exchange on the link begins: the idle clock restarts, the
    // response count and the replies start afresh.
    void StartExchange();

    // Closes the handles on a thread of the call pool: closing an FTP file
    // may wait for the server's last reply, and a call that was given up on
    // may still hold them. Nothing waits for it.
    static void CloseInBackground(std::shared_ptr<WinInetLink> link);

private:
    WinInetLink(HINTERNET root, bool ftp);
    static void CALLBACK OnStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID information,
                                  DWORD length);
    void Take(DWORD status, const void* information, DWORD length);
    void CloseHandles();

    HINTERNET m_root;
    HINTERNET m_connection = nullptr;
    HINTERNET m_item = nullptr;
    const bool m_ftp;
    mutable std::mutex m_mutex;
    Activity m_activity;
};
