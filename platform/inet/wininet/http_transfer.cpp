// SPDX-License-Identifier: MIT
#include "platform/inet/wininet/http_transfer.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/inet/host_name.h"
#include "platform/inet/wininet/wininet_errors.h"

namespace {

// Never from the cache, no cookies, no redirects, no authentication, no
// dialogs: the request goes to the device as the caller made it, and its
// reply comes back as the device sent it. (INTERNET_FLAG_NO_CACHE_WRITE
// would add a header of its own to a POST.)
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_UI;

// WinInet's own time-outs lie this much beyond the layer's, so that the
// layer's come first and WinInet's end a call that the layer gave up on.
constexpr std::chrono::seconds kWinInetSlack{2};

void SetTimeout(HINTERNET handle, DWORD option, std::chrono::seconds limit)
{
    DWORD milliseconds = static_cast<DWORD>(std::chrono::milliseconds(limit + kWinInetSlack).count());
    if (!InternetSetOptionA(handle, option, &milliseconds, sizeof milliseconds))
        throw CInternetException(InternetErrorOf(GetLastError()));
}

}  // namespace

std::unique_ptr<CHttpFile::Transfer> NewHttpTransfer(HttpRequest request)
{
    return std::make_unique<WinInetHttpTransfer>(std::move(request));
}

WinInetHttpTransfer::WinInetHttpTransfer(HttpRequest request) : m_request(std::move(request)) {}

WinInetHttpTransfer::~WinInetHttpTransfer() { Drop(); }

void WinInetHttpTransfer::Send(std::string_view headers, std::string_view body)
{
    if (m_state == State::Closed) throw std::logic_error("SendRequest on a closed request");
    if (!m_request.urlHost) throw NameNotResolved(m_request.host);
    Drop();
    m_failure.reset();
    m_deadline = WinInetLink::Clock::now() + m_request.exchangeTimeout;
    Open();
    m_state = State::Sent;
    // The call holds what it sends: it may outlive this request.
    auto sent = std::make_shared<const std::pair<std::string, std::string>>(headers, body);
    const CallOutcome outcome = Make([link = m_link, sent] {
        const auto& [headerBlock, bodyBytes] = *sent;
        return HttpSendRequestA(link->Item(), headerBlock.empty() ? nullptr : headerBlock.data(),
                                static_cast<DWORD>(headerBlock.size()),
                                bodyBytes.empty() ? nullptr : const_cast<char*>(bodyBytes.data()),
                                static_cast<DWORD>(bodyBytes.size()));
    });
    if (!outcome.succeeded) Fail(outcome.error);
    CheckReply();
}

UINT WinInetHttpTransfer::Read(char* buffer, UINT count)
{
    if (m_state != State::Sent) throw std::logic_error("Read on a request that is not sent or already closed");
    if (m_failure) throw *m_failure;
    UINT given = 0;
    while (given < count) {
        if (m_taken < m_chunkSize) {
            const std::size_t part = std::min<std::size_t>(count - given, m_chunkSize - m_taken);
            std::memcpy(buffer + given, m_chunk->data() + m_taken, part);
            m_taken += part;
            given += static_cast<UINT>(part);
            continue;
        }
        if (m_ended) break;
        Fetch(count - given);
    }
    return given;
}

void WinInetHttpTransfer::Close()
{
    Drop();
    m_state = State::Closed;
}

void WinInetHttpTransfer::Open()
{
    m_link = WinInetLink::Open(m_request.agent, false);
    m_declared.reset();
    m_received = 0;
    m_ended = false;
    m_chunk = std::make_shared<std::vector<char>>(kChunkSize);
    m_chunkSize = 0;
    m_taken = 0;
    // Makes no connection yet: the request does. An IPv6 address keeps its
    // brackets, which WinInet takes and sends on in the Host header.
    HINTERNET connection =
        InternetConnectA(m_link->Root(), m_request.urlHost->c_str(),
                         static_cast<INTERNET_PORT>(m_request.port), nullptr, nullptr, INTERNET_SERVICE_HTTP, 0,
                         m_link->Context());
    if (!connection) Fail(GetLastError());
    m_link->SetConnection(connection);
    HINTERNET request = HttpOpenRequestA(connection, m_request.post ? "POST" : "GET", m_request.object.c_str(),
                                         "HTTP/1.0", nullptr, nullptr, kRequestFlags, m_link->Context());
    if (!request) Fail(GetLastError());
    m_link->SetItem(request);
    SetTimeout(request, INTERNET_OPTION_CONNECT_TIMEOUT, m_request.connectTimeout);
    SetTimeout(request, INTERNET_OPTION_RECEIVE_TIMEOUT, m_request.receiveTimeout);
    SetTimeout(request, INTERNET_OPTION_SEND_TIMEOUT, m_request.receiveTimeout);
}

// WinInet lets through what is no reply: nothing at all, a status line
// without a code, a header block cut off by the end of the connection. (A
// first line that is no status line at all Wine's WinInet replaces with
// "HTTP/1.0 200 OK", past telling.)
void WinInetHttpTransfer::CheckReply()
{
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(m_link->Item(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        status = 0;
    if (status < 100 || status > 999) {
        // Nothing at all came back, or something that is no reply.
        Fail(m_link->Snapshot().responseBytes == 0 ? ERROR_INTERNET_CONNECTION_ABORTED
                                                   : ERROR_HTTP_INVALID_SERVER_RESPONSE);
    }
    // A status line with neither header lines nor a body after it is what
    // WinInet makes of a header block cut off by the end of the connection.
    if (!HasHeaderLines() && !BodyFollows()) Fail(ERROR_HTTP_INVALID_SERVER_RESPONSE);
    m_declared = DeclaredLength();
}

std::optional<std::uint64_t> WinInetHttpTransfer::DeclaredLength() const
{
    char text[32] = {};
    DWORD size = sizeof text;
    if (!HttpQueryInfoA(m_link->Item(), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return std::nullopt;
    std::uint64_t length = 0;
    const auto [end, error] = std::from_chars(text, text + size, length);
    if (error != std::errc() || end != text + size) return std::nullopt;
    return length;
}

bool WinInetHttpTransfer::HasHeaderLines() const
{
    DWORD size = 0;
    HttpQueryInfoA(m_link->Item(), HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
    std::string headers(size, '\0');
    if (!HttpQueryInfoA(m_link->Item(), HTTP_QUERY_RAW_HEADERS_CRLF, headers.data(), &size, nullptr)) return false;
    headers.resize(size);
    // The status line, then the header lines, each ending in CR LF.
    const std::size_t statusEnd = headers.find("\r\n");
    return statusEnd != std::string::npos && headers.find_first_not_of("\r\n", statusEnd) != std::string::npos;
}

bool WinInetHttpTransfer::BodyFollows()
{
    auto available = std::make_shared<DWORD>(0);
    const CallOutcome outcome =
        Make([link = m_link, available] { return InternetQueryDataAvailable(link->Item(), available.get(), 0, 0); });
    if (!outcome.succeeded) Fail(outcome.error);
    return *available != 0;
}

void WinInetHttpTransfer::Fetch(std::size_t wanted)
{
    auto got = std::make_shared<DWORD>(0);
    const DWORD size = static_cast<DWORD>(std::min(wanted, kChunkSize));
    const CallOutcome outcome = Make([link = m_link, chunk = m_chunk, size, got] {
        return InternetReadFile(link->Item(), chunk->data(), size, got.get());
    });
    if (!outcome.succeeded) Fail(outcome.error);
    m_chunkSize = *got;
    m_taken = 0;
    m_received += *got;
    if (*got != 0) {
        m_link->NoteActivity();
        return;
    }
    m_ended = true;
    // WinInet ends a body cut short as if it were complete.
    if (m_declared && m_received < *m_declared) Fail(ERROR_INTERNET_CONNECTION_ABORTED);
}

CallOutcome WinInetHttpTransfer::Make(std::function<BOOL()> call)
{
    LinkWatch watch(*m_link, Limits());
    const CallOutcome outcome = MakeCall(m_calls, std::move(call), [&watch] { return watch(); });
    if (!outcome.returned) Fail(ERROR_INTERNET_TIMEOUT);
    return outcome;
}

LinkWatch::Limits WinInetHttpTransfer::Limits() const
{
    return {m_deadline, m_request.receiveTimeout, m_request.connectTimeout};
}

void WinInetHttpTransfer::Drop()
{
    WinInetLink::CloseInBackground(std::move(m_link));
    m_chunkSize = 0;
    m_taken = 0;
}

void WinInetHttpTransfer::Fail(DWORD error) { Fail(InternetFailure(error, m_request.host, m_request.port)); }

void WinInetHttpTransfer::Fail(CInternetException failure)
{
    Drop();
    m_failure = failure;
    throw failure;
}
