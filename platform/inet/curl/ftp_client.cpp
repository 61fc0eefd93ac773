// SPDX-License-Identifier: MIT
#include "platform/inet/curl/ftp_client.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <utility>

#include "platform/inet/curl/curl_errors.h"
#include "platform/inet/curl/curl_progress.h"
#include "platform/inet/ftp_reasons.h"
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

long Milliseconds(std::chrono::seconds time) { return static_cast<long>(std::chrono::milliseconds(time).count()); }

}  // namespace

std::unique_ptr<CFtpConnection::Control> ConnectFtp(FtpServer server)
{
    auto client = std::make_unique<CurlFtpClient>(std::move(server));
    client->LogIn();
    return client;
}

CurlFtpClient::CurlFtpClient(FtpServer server)
    : m_server(std::move(server)),
      m_url("ftp://" + m_server.urlHost + ":" + std::to_string(m_server.port) + "/"),
      m_easy(NewCurlEasy())
{
}

CurlFtpClient::~CurlFtpClient() { Goodbye(); }

void CurlFtpClient::LogIn()
{
    SetUp("");
    SetOption(m_easy.get(), CURLOPT_NOBODY, 1L);
    const CURLcode result = Run(nullptr, Limits());
    if (result == CURLE_OK) return;
    // The server's own refusal says more than the library's reading of it
    // (a "421" greeting, say, which the library takes for a time-out).
    if (!m_replies.Refusal().empty()) throw CInternetException(ERROR_INTERNET_EXTENDED_ERROR, m_replies.Refusal());
    throw InternetFailure(result, m_easy.get(), m_server.host, m_server.port);
}

bool CurlFtpClient::Download(const FtpFile& file)
{
    SetUp(file.remote);
    // RETR without a SIZE first, as the platform's client does.
    SetOption(m_easy.get(), CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    SetOption(m_easy.get(), CURLOPT_WRITEFUNCTION, &CurlFtpClient::OnWrite);
    SetOption(m_easy.get(), CURLOPT_WRITEDATA, this);
    return Transfer(file);
}

bool CurlFtpClient::Upload(const FtpFile& file)
{
    SetUp(file.remote);
    SetOption(m_easy.get(), CURLOPT_UPLOAD, 1L);
    SetOption(m_easy.get(), CURLOPT_READFUNCTION, &CurlFtpClient::OnRead);
    SetOption(m_easy.get(), CURLOPT_READDATA, this);
    return Transfer(file);
}

void CurlFtpClient::Goodbye() noexcept
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

void CurlFtpClient::SetUp(const std::string& remote)
{
    CURL* easy = m_easy.get();
    curl_easy_reset(easy);
    m_replies.Clear();
    m_errorText[0] = '\0';
    SetOption(easy, CURLOPT_ERRORBUFFER, m_errorText);
    SetOption(easy, CURLOPT_URL, (m_url + Escaped(easy, remote)).c_str());
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
    SetOption(easy, CURLOPT_HEADERFUNCTION, &CurlFtpClient::OnReply);
    SetOption(easy, CURLOPT_HEADERDATA, this);
}

bool CurlFtpClient::Transfer(const FtpFile& file)
{
    if (file.progress) WatchProgress(m_easy.get(), *file.progress);
    m_localError = 0;
    const CURLcode result = Run(file.stream, Limits(), file.progress);
    const std::string lastLine = m_replies.LastLine();
    // The library has been seen to end an active-mode download as done while
    // it still waited for the device's data connection, with nothing moved
    // and the device's "150" as the last word: a transfer counts only when
    // the device confirmed it.
    const bool succeeded = result == CURLE_OK && m_replies.Confirmed();
    if (succeeded)
        Succeeded();
    else if (result == CURLE_OK)
        Failed(ERROR_INTERNET_CONNECTION_ABORTED, lastLine, UnconfirmedReason(lastLine));
    else
        Failed(InternetErrorOf(result, m_easy.get()), lastLine, FailureReason(result, file.local));
    if (!succeeded && !m_replies.EndedOnARefusal()) DropControlConnection();
    if (file.progress) file.progress->Finish(succeeded);
    return succeeded;
}

CURLcode CurlFtpClient::Run(std::FILE* file, TransferLimits limits, ProgressNotifier* progress)
{
    m_file = file;
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
    if (progress) SettleProgress(m_easy.get(), *progress);
    m_file = nullptr;
    if (m_failure) std::rethrow_exception(std::exchange(m_failure, nullptr));
    return result;
}

std::string CurlFtpClient::FailureReason(CURLcode result, const std::filesystem::path& local) const
{
    if (m_localError) return LocalFileProblem(local, m_localError);
    if (m_replies.EndedOnARefusal()) return m_replies.LastLine();
    switch (result) {
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT: {
        const char* address = nullptr;
        if (curl_easy_getinfo(m_easy.get(), CURLINFO_PRIMARY_IP, &address) != CURLE_OK || !address || !*address)
            address = m_server.host.c_str();
        return NoDataConnectionReason(address);
    }
    case CURLE_OPERATION_TIMEDOUT: return TimeoutReason(m_loop.Exceeded(), m_server.settings);
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return CannotConnectReason(ConnectionDetail(result, m_easy.get(), m_server.host, m_server.port));
    // The library's error text and system error are left out here: in
    // active mode they still hold a harmless note from setting up PORT,
    // which would mislead.
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE: return DroppedReason();
    default:
        return std::string("the transfer failed: ") + (m_errorText[0] ? m_errorText : curl_easy_strerror(result));
    }
}

TransferLimits CurlFtpClient::Limits() const
{
    return {m_server.settings.receiveTimeout, m_server.settings.exchangeTimeout};
}

void CurlFtpClient::DropControlConnection()
{
    SetUp("");
    RefuseNewConnections(m_easy.get());
    SetOption(m_easy.get(), CURLOPT_NOBODY, 1L);
    m_loop.DropConnection(m_easy.get());
}

size_t CurlFtpClient::OnReply(char* data, size_t, size_t count, void* self)
{
    auto& client = *static_cast<CurlFtpClient*>(self);
    client.m_loop.NoteActivity();
    try {
        client.m_replies.TakeLine(std::string_view(data, count));
    } catch (...) {
        client.m_failure = std::current_exception();
        return 0;
    }
    return count;
}

size_t CurlFtpClient::OnWrite(char* data, size_t, size_t count, void* self)
{
    auto& client = *static_cast<CurlFtpClient*>(self);
    client.m_loop.NoteActivity();
    const size_t written = std::fwrite(data, 1, count, client.m_file);
    if (written < count) client.m_localError = errno ? errno : EIO;
    return written;
}

size_t CurlFtpClient::OnRead(char* data, size_t, size_t count, void* self)
{
    auto& client = *static_cast<CurlFtpClient*>(self);
    client.m_loop.NoteActivity();
    const size_t read = std::fread(data, 1, count, client.m_file);
    if (read == 0 && std::ferror(client.m_file)) {
        client.m_localError = errno ? errno : EIO;
        return CURL_READFUNC_ABORT;
    }
    return read;
}
