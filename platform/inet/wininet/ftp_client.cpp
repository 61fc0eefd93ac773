// SPDX-License-Identifier: MIT
#include "platform/inet/wininet/ftp_client.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/inet/ftp_reasons.h"
#include "platform/inet/local_file.h"
#include "platform/inet/wininet/wininet_errors.h"

namespace {

// The anonymous login, as the Linux side's client makes it: WinInet's own
// would send the local user's name as the password.
constexpr char kAnonymousUser[] = "anonymous";
constexpr char kAnonymousPassword[] = "ftp@example.com";

// The server name as WinInet's FTP takes it: an IPv6 address without its
// brackets. (Wine's has no IPv6 at all.)
std::string ServerNameOf(const std::string& urlHost)
{
    if (urlHost.size() >= 2 && urlHost.front() == '[') return urlHost.substr(1, urlHost.size() - 2);
    return urlHost;
}

}  // namespace

std::unique_ptr<CFtpConnection::Control> ConnectFtp(FtpServer server)
{
    auto client = std::make_unique<WinInetFtpClient>(std::move(server));
    client->LogIn();
    return client;
}

WinInetFtpClient::WinInetFtpClient(FtpServer server)
    : m_server(std::move(server)), m_chunk(std::make_shared<std::vector<char>>(kChunkSize))
{
}

WinInetFtpClient::~WinInetFtpClient() { Goodbye(); }

void WinInetFtpClient::LogIn()
{
    m_link = WinInetLink::Open(m_server.agent, true);
    m_link->StartExchange();
    m_deadline = WinInetLink::Clock::now() + m_server.settings.exchangeTimeout;
    m_idle = m_server.settings.receiveTimeout;
    const bool anonymous = m_server.user.empty();
    auto connection = std::make_shared<HINTERNET>(nullptr);
    const Step step = Make(
        [link = m_link, connection, server = m_server, anonymous] {
            *connection = InternetConnectA(link->Root(), ServerNameOf(server.urlHost).c_str(),
                                           static_cast<INTERNET_PORT>(server.port),
                                           anonymous ? kAnonymousUser : server.user.c_str(),
                                           anonymous ? kAnonymousPassword : server.password.c_str(),
                                           INTERNET_SERVICE_FTP, server.passive ? INTERNET_FLAG_PASSIVE : 0,
                                           link->Context());
            return *connection != nullptr;
        },
        // Given up on, the call closes what it opened; the link lives until then.
        false, [link = m_link, connection] { InternetCloseHandle(*connection); });
    if (step.ok) {
        m_link->SetConnection(*connection);
        return;
    }
    const std::string refusal = m_link->Snapshot().replies.Refusal();
    Drop();
    // The server's own refusal says more than WinInet's reading of it.
    if (!refusal.empty()) throw CInternetException(ERROR_INTERNET_EXTENDED_ERROR, refusal);
    if (step.expired != LinkWatch::Reason::None)
        throw InternetFailure(ERROR_INTERNET_TIMEOUT, m_server.host, m_server.port);
    throw InternetFailure(step.error, m_server.host, m_server.port);
}

bool WinInetFtpClient::Download(const FtpFile& file) { return Transfer(file, false); }

bool WinInetFtpClient::Upload(const FtpFile& file) { return Transfer(file, true); }

bool WinInetFtpClient::Transfer(const FtpFile& file, bool upload)
{
    m_localError = 0;
    m_moved = 0;
    const bool succeeded = (m_link || Reconnect()) && Conclude(Attempt(file, upload), file.local);
    if (file.progress) file.progress->Finish(succeeded);
    return succeeded;
}

// The last transfer left the control connection closed: logs in again.
bool WinInetFtpClient::Reconnect()
{
    try {
        LogIn();
        return true;
    } catch (const CInternetException& failure) {
        const DWORD error = failure.m_dwError;
        const std::string reason = error == ERROR_INTERNET_EXTENDED_ERROR ? failure.GetErrorMessage()
                                   : error == ERROR_INTERNET_TIMEOUT
                                       ? TimeoutReason(ExceededLimit::None, m_server.settings)
                                       : CannotConnectReason(failure.Detail());
        Failed(error, error == ERROR_INTERNET_EXTENDED_ERROR ? reason : std::string(), reason);
        return false;
    }
}

WinInetFtpClient::Step WinInetFtpClient::Attempt(const FtpFile& file, bool upload)
{
    m_link->StartExchange();
    m_deadline = WinInetLink::Clock::now() + m_server.settings.exchangeTimeout;
    m_idle = m_server.settings.receiveTimeout;
    try {
        return Move(file, upload);
    } catch (...) {
        // Cut off in mid-transfer: the control connection may owe replies.
        Drop();
        throw;
    }
}

// Keeps the outcome of a transfer that ended with `step`; true when the
// device confirmed it.
bool WinInetFtpClient::Conclude(const Step& step, const std::filesystem::path& local)
{
    const FtpReplies replies = m_link->Snapshot().replies;
    const std::string lastLine = replies.LastLine();
    const bool succeeded = step.ok && replies.Confirmed();
    if (succeeded)
        Succeeded();
    else if (step.ok)
        Failed(ERROR_INTERNET_CONNECTION_ABORTED, lastLine, UnconfirmedReason(lastLine));
    else
        Failed(step.expired != LinkWatch::Reason::None ? ERROR_INTERNET_TIMEOUT : InternetErrorOf(step.error), lastLine,
               FailureReason(step, replies, local));
    // A refusal is the last word on its command: the connection stays, unless
    // the refused transfer's file is still open on it.
    if (!succeeded && (!replies.EndedOnARefusal() || m_link->Item())) Drop();
    return succeeded;
}

// Opens the file on the server, moves its bytes and closes it again.
WinInetFtpClient::Step WinInetFtpClient::Move(const FtpFile& file, bool upload)
{
    auto item = std::make_shared<HINTERNET>(nullptr);
    Step step = Make(
        [link = m_link, item, remote = file.remote, upload] {
            *item = FtpOpenFileA(link->Connection(), remote.c_str(), upload ? GENERIC_WRITE : GENERIC_READ,
                                 FTP_TRANSFER_TYPE_BINARY, link->Context());
            return *item != nullptr;
        },
        // Given up on, the call closes what it opened; the link lives until then.
        !m_server.passive, [link = m_link, item] { InternetCloseHandle(*item); });
    if (!step.ok) return step;
    m_link->SetItem(*item);
    step = upload ? Send(file) : Receive(file);
    if (!step.ok) return step;
    // Closing the file takes the server's last word on the transfer.
    HINTERNET closing = m_link->Item();
    m_link->SetItem(nullptr);
    return Make([link = m_link, closing] { return InternetCloseHandle(closing); });
}

WinInetFtpClient::Step WinInetFtpClient::Receive(const FtpFile& file)
{
    for (;;) {
        auto got = std::make_shared<DWORD>(0);
        const Step step = Make([link = m_link, chunk = m_chunk, got] {
            return InternetReadFile(link->Item(), chunk->data(), static_cast<DWORD>(chunk->size()), got.get());
        });
        if (!step.ok || *got == 0) return step;
        if (std::fwrite(m_chunk->data(), 1, *got, file.stream) < *got) {
            m_localError = errno ? errno : EIO;
            return {false, ERROR_INTERNET_INTERNAL_ERROR};
        }
        Progress(file, *got);
    }
}

WinInetFtpClient::Step WinInetFtpClient::Send(const FtpFile& file)
{
    for (;;) {
        const std::size_t read = std::fread(m_chunk->data(), 1, m_chunk->size(), file.stream);
        if (read == 0) {
            if (!std::ferror(file.stream)) return {};
            m_localError = errno ? errno : EIO;
            return {false, ERROR_INTERNET_INTERNAL_ERROR};
        }
        auto written = std::make_shared<DWORD>(0);
        Step step = Make([link = m_link, chunk = m_chunk, read, written] {
            return InternetWriteFile(link->Item(), chunk->data(), static_cast<DWORD>(read), written.get());
        });
        if (!step.ok) return step;
        if (*written < read) return {false, ERROR_INTERNET_CONNECTION_ABORTED};
        Progress(file, read);
    }
}

void WinInetFtpClient::Progress(const FtpFile& file, std::uint64_t done)
{
    m_link->NoteActivity();
    m_moved += done;
    if (!file.progress) return;
    file.progress->Take(0, static_cast<std::int64_t>(m_moved));
    file.progress->Deliver();
}

WinInetFtpClient::Step WinInetFtpClient::Make(std::function<BOOL()> call, bool activeData,
                                              std::function<void()> ifGivenUp)
{
    LinkWatch watch(*m_link, {m_deadline, m_idle, m_server.settings.connectTimeout, activeData});
    const CallOutcome outcome = MakeCall(m_calls, std::move(call), [&watch] { return watch(); }, std::move(ifGivenUp));
    if (!outcome.returned) return {false, ERROR_INTERNET_TIMEOUT, watch.Expired()};
    return {outcome.succeeded, outcome.error};
}

std::string WinInetFtpClient::FailureReason(const Step& step, const FtpReplies& replies,
                                            const std::filesystem::path& local) const
{
    if (m_localError) return LocalFileProblem(local, m_localError);
    if (replies.EndedOnARefusal()) return replies.LastLine();
    switch (step.expired) {
    case LinkWatch::Reason::DataConnection: return NoDataConnectionReason(m_server.host);
    case LinkWatch::Reason::Idle: return TimeoutReason(ExceededLimit::Idle, m_server.settings);
    case LinkWatch::Reason::Whole: return TimeoutReason(ExceededLimit::Whole, m_server.settings);
    case LinkWatch::Reason::Connect: return TimeoutReason(ExceededLimit::None, m_server.settings);
    case LinkWatch::Reason::None: break;
    }
    switch (const DWORD code = InternetErrorOf(step.error)) {
    case ERROR_INTERNET_TIMEOUT: return TimeoutReason(ExceededLimit::None, m_server.settings);
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_CANNOT_CONNECT:
        return CannotConnectReason(ConnectionDetail(step.error, m_server.host, m_server.port));
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET: return DroppedReason();
    default: {
        const std::string text = CInternetException(code).GetErrorMessage();
        return "the transfer failed: " + (text.empty() ? "error " + std::to_string(step.error) : text);
    }
    }
}

void WinInetFtpClient::Goodbye() noexcept
{
    if (!m_link) return;
    m_link->StartExchange();
    m_deadline = WinInetLink::Clock::now() + std::min<std::chrono::milliseconds>(
                                                 m_server.settings.exchangeTimeout, kGoodbyeLimit);
    m_idle = std::min<std::chrono::milliseconds>(m_server.settings.receiveTimeout, kGoodbyeLimit);
    // Whatever the goodbye's outcome, the connection is closed below; a
    // failure of the goodbye has nothing left to fail.
    static_cast<void>(Make([link = m_link] {
        return FtpCommandA(link->Connection(), FALSE, FTP_TRANSFER_TYPE_ASCII, "QUIT", link->Context(), nullptr);
    }));
    Drop();
}

void WinInetFtpClient::Drop()
{
    WinInetLink::CloseInBackground(std::move(m_link));
    // A call given up on may still read into the chunk, or send from it.
    m_chunk = std::make_shared<std::vector<char>>(kChunkSize);
}
