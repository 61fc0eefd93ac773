// SPDX-License-Identifier: MIT
#include "platform/inet/ftp_control.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>
#include <new>
#include <system_error>
#include <utility>

#include "platform/inet/curl_errors.h"
#include "platform/inet/local_file.h"

namespace {

struct CurlFree {
    void operator()(char* text) const { curl_free(text); }
};

// `name` as a URL path segment, so that it reaches the server as it stands.
std::string Escaped(CURL* easy, const std::string& name)
{
    std::unique_ptr<char, CurlFree> escaped(curl_easy_escape(easy, name.data(), static_cast<int>(name.size())));
    if (!escaped) throw std::bad_alloc();
    return escaped.get();
}

// A reply's last line: three digits, then a blank or nothing.
bool EndsReply(std::string_view line)
{
    if (line.size() < 3 || (line.size() > 3 && line[3] != ' ')) return false;
    for (char c : line.substr(0, 3))
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool IsRefusal(std::string_view reply) { return !reply.empty() && (reply.front() == '4' || reply.front() == '5'); }

long Milliseconds(std::chrono::seconds time) { return static_cast<long>(std::chrono::milliseconds(time).count()); }

}  // namespace

CFtpConnection::Control::Control(FtpServer server) : m_server(std::move(server)), m_easy(NewCurlEasy()) {}

CFtpConnection::Control::~Control() { Goodbye(); }

void CFtpConnection::Control::LogIn()
{
    SetUp("");
    SetOption(m_easy.get(), CURLOPT_NOBODY, 1L);
    const CURLcode result = Run(nullptr, Limits());
    if (result == CURLE_OK) return;
    // The server's own refusal says more than the library's reading of it
    // (a "421" greeting, say, which the library takes for a time-out).
    if (!m_refusal.empty()) throw CInternetException(ERROR_INTERNET_EXTENDED_ERROR, m_refusal);
    throw InternetFailure(result, m_easy.get(), m_server.host, m_server.port);
}

bool CFtpConnection::Control::Download(const FtpFile& file)
{
    SetUp(file.remote);
    // RETR without a SIZE first, as the platform's client does.
    SetOption(m_easy.get(), CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    SetOption(m_easy.get(), CURLOPT_WRITEFUNCTION, &Control::OnWrite);
    SetOption(m_easy.get(), CURLOPT_WRITEDATA, this);
    return Transfer(file);
}

bool CFtpConnection::Control::Upload(const FtpFile& file)
{
    SetUp(file.remote);
    SetOption(m_easy.get(), CURLOPT_UPLOAD, 1L);
    SetOption(m_easy.get(), CURLOPT_READFUNCTION, &Control::OnRead);
    SetOption(m_easy.get(), CURLOPT_READDATA, this);
    return Transfer(file);
}

void CFtpConnection::Control::Goodbye() noexcept
{
    SetUp("");
    RefuseNewConnections(m_easy.get());
    SetOption(m_easy.get(), CURLOPT_NOBODY, 1L);
    m_commands.reset();
    AppendLine(m_commands, "QUIT");
    SetOption(m_easy.get(), CURLOPT_QUOTE, m_commands.get());
    SetOption(m_easy.get(), CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(kGoodbyeLimit.count()));
    const TransferLimits limits = Limits();
    // Whatever the goodbye's outcome, the connection is closed below; a
    // failure of the goodbye has nothing left to fail.
    static_cast<void>(Run(nullptr, {std::min<std::chrono::milliseconds>(limits.idle, kGoodbyeLimit),
                                    std::min<std::chrono::milliseconds>(limits.whole, kGoodbyeLimit)}));
    DropControlConnection();
}

void CFtpConnection::Control::SetUp(const std::string& remote)
{
    CURL* easy = m_easy.get();
    curl_easy_reset(easy);
    m_refusal.clear();
    m_errorText[0] = '\0';
    SetOption(easy, CURLOPT_ERRORBUFFER, m_errorText);
    SetOption(easy, CURLOPT_URL, (m_server.url + Escaped(easy, remote)).c_str());
    SetOption(easy, CURLOPT_PROTOCOLS_STR, "ftp");
    SetOption(easy, CURLOPT_NOSIGNAL, 1L);
    SetOption(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    if (!m_server.user.empty()) {
        SetOption(easy, CURLOPT_USERNAME, m_server.user.c_str());
        SetOption(easy, CURLOPT_PASSWORD, m_server.password.c_str());
    }
    if (m_server.passive) {
        SetOption(easy, CURLOPT_FTP_USE_EPSV, 0L);
    } else {
        SetOption(easy, CURLOPT_FTPPORT, "-");
        SetOption(easy, CURLOPT_FTP_USE_EPRT, 0L);
    }
    SetOption(easy, CURLOPT_CONNECTTIMEOUT_MS, Milliseconds(m_server.settings.connectTimeout));
    SetOption(easy, CURLOPT_ACCEPTTIMEOUT_MS, Milliseconds(m_server.settings.connectTimeout));
    SetOption(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(m_server.settings.receiveTimeout.count()));
    SetOption(easy, CURLOPT_HEADERFUNCTION, &Control::OnReply);
    SetOption(easy, CURLOPT_HEADERDATA, this);
}

bool CFtpConnection::Control::Transfer(const FtpFile& file)
{
    if (file.progress) file.progress->Watch(m_easy.get());
    m_localError = 0;
    const CURLcode result = Run(file.stream, Limits(), file.progress);
    const std::string lastLine = m_reply.substr(m_reply.rfind('\n') + 1);
    // The library has been seen to end an active-mode download as done while
    // it still waited for the device's data connection, with nothing moved
    // and the device's "150" as the last word: a transfer counts only when
    // the device confirmed it.
    const bool confirmed = m_replyDone && m_reply.starts_with('2');
    const bool succeeded = result == CURLE_OK && confirmed;
    if (succeeded) {
        m_lastError = 0;
        m_lastResponse.clear();
        m_lastFailureReason.clear();
    } else if (result == CURLE_OK) {
        m_lastError = ERROR_INTERNET_CONNECTION_ABORTED;
        m_lastResponse = lastLine;
        m_lastFailureReason = "the transfer ended without the device confirming it (its last reply: " + lastLine + ")";
    } else {
        m_lastError = InternetErrorOf(result, m_easy.get());
        m_lastResponse = lastLine;
        m_lastFailureReason = FailureReason(result, file.local);
    }
    if (!succeeded && !EndedOnARefusal()) DropControlConnection();
    if (file.progress) file.progress->Finish(succeeded);
    return succeeded;
}

CURLcode CFtpConnection::Control::Run(std::FILE* file, TransferLimits limits, ProgressNotifier* progress)
{
    m_file = file;
    m_replyDone = true;
    m_reply.clear();
    m_loop.Start(m_easy.get(), limits);
    CURLcode result = CURLE_OK;
    try {
        result = progress ? m_loop.RunToEnd([progress] { progress->Deliver(); }) : m_loop.RunToEnd();
    } catch (...) {
        // Cut off in mid-transfer: the control connection may owe replies.
        m_file = nullptr;
        DropControlConnection();
        throw;
    }
    if (progress) progress->Settle(m_easy.get());
    m_file = nullptr;
    if (m_failure) std::rethrow_exception(std::exchange(m_failure, nullptr));
    return result;
}

std::string CFtpConnection::Control::FailureReason(CURLcode result, const std::filesystem::path& local) const
{
    if (m_localError) return LocalFileProblem(local, m_localError);
    if (EndedOnARefusal()) return m_lastResponse;
    switch (result) {
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT: {
        const char* address = nullptr;
        if (curl_easy_getinfo(m_easy.get(), CURLINFO_PRIMARY_IP, &address) != CURLE_OK || !address || !*address)
            address = m_server.host.c_str();
        return std::string("the device did not open the data connection (active FTP); a firewall on this machine "
                           "may be dropping incoming connections: allow incoming connections from ") +
               address + ", or use passive FTP (NDXU_FTP_PASSIVE=1)";
    }
    case CURLE_OPERATION_TIMEDOUT: return TimeoutReason();
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return "cannot connect to the device: " + ConnectionDetail(result, m_easy.get(), m_server.host, m_server.port);
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE: return DroppedReason();
    default:
        return std::string("the transfer failed: ") + (m_errorText[0] ? m_errorText : curl_easy_strerror(result));
    }
}

std::string CFtpConnection::Control::TimeoutReason() const
{
    switch (m_loop.ExceededLimit()) {
    case TransferLoop::Limit::Whole:
        return "the transfer timed out: it took longer than " +
               std::to_string(m_server.settings.exchangeTimeout.count()) + " s (NDXU_EXCHANGE_TIMEOUT)";
    case TransferLoop::Limit::Idle:
        return "the transfer timed out: nothing moved for " +
               std::to_string(m_server.settings.receiveTimeout.count()) + " s (NDXU_RECEIVE_TIMEOUT)";
    case TransferLoop::Limit::None: break;
    }
    return "the transfer timed out: the device did not answer in time";
}

// The library's error text and system error are left out here: in active
// mode they still hold a harmless note from setting up PORT, which would
// mislead.
std::string CFtpConnection::Control::DroppedReason() const
{
    return "the connection to the device was dropped during the transfer";
}

TransferLimits CFtpConnection::Control::Limits() const
{
    return {m_server.settings.receiveTimeout, m_server.settings.exchangeTimeout};
}

// The server answered the transfer's command with a refusal, the last word
// on that command: nothing more is owed on the control connection.
bool CFtpConnection::Control::EndedOnARefusal() const { return m_replyDone && IsRefusal(m_reply); }

void CFtpConnection::Control::DropControlConnection()
{
    SetUp("");
    RefuseNewConnections(m_easy.get());
    SetOption(m_easy.get(), CURLOPT_NOBODY, 1L);
    m_loop.DropConnection(m_easy.get());
}

void CFtpConnection::Control::TakeReplyLine(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (m_replyDone) m_reply.clear();
    if (!m_reply.empty() && m_reply.size() < kMaxReplySize) m_reply += '\n';
    m_reply.append(line.substr(0, kMaxReplySize - std::min(m_reply.size(), kMaxReplySize)));
    m_replyDone = EndsReply(line);
    if (m_replyDone && IsRefusal(line)) m_refusal = m_reply;
}

size_t CFtpConnection::Control::OnReply(char* data, size_t, size_t count, void* self)
{
    auto& control = *static_cast<Control*>(self);
    control.m_loop.NoteActivity();
    try {
        control.TakeReplyLine(std::string_view(data, count));
    } catch (...) {
        control.m_failure = std::current_exception();
        return 0;
    }
    return count;
}

size_t CFtpConnection::Control::OnWrite(char* data, size_t, size_t count, void* self)
{
    auto& control = *static_cast<Control*>(self);
    control.m_loop.NoteActivity();
    const size_t written = std::fwrite(data, 1, count, control.m_file);
    if (written < count) control.m_localError = errno ? errno : EIO;
    return written;
}

size_t CFtpConnection::Control::OnRead(char* data, size_t, size_t count, void* self)
{
    auto& control = *static_cast<Control*>(self);
    control.m_loop.NoteActivity();
    const size_t read = std::fread(data, 1, count, control.m_file);
    if (read == 0 && std::ferror(control.m_file)) {
        control.m_localError = errno ? errno : EIO;
        return CURL_READFUNC_ABORT;
    }
    return read;
}
