// SPDX-License-Identifier: MIT
// The FTP client on WinInet: one FTP connection handle, logged in, and each
// transfer as FtpOpenFile, the bytes moved in chunks by InternetReadFile or
// InternetWriteFile, and the file handle closed for the server's last word.
// Every blocking call runs on a thread of the call pool while the caller
// keeps the window painted, hands on the progress and keeps the time limits,
// which WinInet's FTP does not keep under Wine.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/inet/ftp_control.h"
#include "platform/inet/wininet/call_pool.h"
#include "platform/inet/wininet/link_watch.h"
#include "platform/inet/wininet/wininet_link.h"

class WinInetFtpClient final : public CFtpConnection::Control {
public:
    explicit WinInetFtpClient(FtpServer server);
    ~WinInetFtpClient() override;
    WinInetFtpClient(const WinInetFtpClient&) = delete;
    WinInetFtpClient& operator=(const WinInetFtpClient&) = delete;

    // Connects and logs in; throws as ConnectFtp says.
    void LogIn();
    bool Download(const FtpFile& file) override;
    bool Upload(const FtpFile& file) override;

private:
    static constexpr std::size_t kChunkSize = 64 * 1024;

    // How a step of a transfer ended: the WinInet code of its failure, or
    // the limit that the caller stopped waiting on.
    struct Step {
        bool ok = true;
        DWORD error = 0;
        LinkWatch::Reason expired = LinkWatch::Reason::None;
    };

    bool Transfer(const FtpFile& file, bool upload);
    bool Reconnect();
    Step Attempt(const FtpFile& file, bool upload);
    bool Conclude(const Step& step, const std::filesystem::path& local);
    Step Move(const FtpFile& file, bool upload);
    Step Receive(const FtpFile& file);
    Step Send(const FtpFile& file);
    void Progress(const FtpFile& file, std::uint64_t done);
    Step Make(std::function<BOOL()> call, bool activeData = false, std::function<void()> ifGivenUp = {});
    std::string FailureReason(const Step& step, const FtpReplies& replies, const std::filesystem::path& local) const;
    void Goodbye() noexcept;
    void Drop();

    FtpServer m_server;
    std::shared_ptr<WinInetLink> m_link;  // none while no control connection is open
    BlockingCalls m_calls;
    WinInetLink::Clock::time_point m_deadline{};
    std::chrono::milliseconds m_idle{};
    std::shared_ptr<std::vector<char>> m_chunk;
    std::uint64_t m_moved = 0;
    int m_localError = 0;  // the system's error number of a failed read or write of the local file
};
