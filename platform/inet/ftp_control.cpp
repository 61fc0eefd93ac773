#include "platform/inet/ftp_control.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <new>
#include <utility>

#include "platform/inet/curl_errors.h"

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

long Milliseconds(std::chrono::seconds time) { return static_cast<long>(std::chrono::milliseconds(time).count()); }

}  // namespace

CFtpConnection::Control::Control(FtpServer server) : m_server(std::move(server)), m_easy(NewCurlEasy()) {}

void CFtpConnection::Control::LogIn()
{
    SetUp("");
    SetOption(m_easy.get(), CURLOPT_NOBODY, 1L);
    const CURLcode result = Run(nullptr);
    if (result == CURLE_LOGIN_DENIED) throw CInternetException(ERROR_INTERNET_EXTENDED_ERROR, m_refusal);
    if (result != CURLE_OK) throw CInternetException(InternetErrorOf(result, m_easy.get()));
}

bool CFtpConnection::Control::Download(const std::string& remote, std::FILE* out)
{
    SetUp(remote);
    // RETR without a SIZE first, as the platform's client does.
    SetOption(m_easy.get(), CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    SetOption(m_easy.get(), CURLOPT_WRITEFUNCTION, &Control::OnWrite);
    SetOption(m_easy.get(), CURLOPT_WRITEDATA, this);
    return Run(out) == CURLE_OK;
}

bool CFtpConnection::Control::Upload(std::FILE* in, const std::string& remote)
{
    SetUp(remote);
    SetOption(m_easy.get(), CURLOPT_UPLOAD, 1L);
    SetOption(m_easy.get(), CURLOPT_READFUNCTION, &Control::OnRead);
    SetOption(m_easy.get(), CURLOPT_READDATA, this);
    return Run(in) == CURLE_OK;
}

void CFtpConnection::Control::SetUp(const std::string& remote)
{
    CURL* easy = m_easy.get();
    curl_easy_reset(easy);
    m_refusal.clear();
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

CURLcode CFtpConnection::Control::Run(std::FILE* file)
{
    m_file = file;
    m_loop.Start(m_easy.get(), m_server.settings.receiveTimeout);
    const CURLcode result = m_loop.RunToEnd();
    m_file = nullptr;
    if (m_failure) std::rethrow_exception(std::exchange(m_failure, nullptr));
    return result;
}

void CFtpConnection::Control::TakeReplyLine(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (m_replyDone) m_reply.clear();
    if (!m_reply.empty() && m_reply.size() < kMaxReplySize) m_reply += '\n';
    m_reply.append(line.substr(0, kMaxReplySize - std::min(m_reply.size(), kMaxReplySize)));
    m_replyDone = EndsReply(line);
    if (m_replyDone && (line.front() == '4' || line.front() == '5')) m_refusal = m_reply;
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
    return std::fwrite(data, 1, count, control.m_file);
}

size_t CFtpConnection::Control::OnRead(char* data, size_t, size_t count, void* self)
{
    auto& control = *static_cast<Control*>(self);
    control.m_loop.NoteActivity();
    const size_t read = std::fread(data, 1, count, control.m_file);
    if (read == 0 && std::ferror(control.m_file)) return CURL_READFUNC_ABORT;
    return read;
}
