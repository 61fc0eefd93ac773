// SPDX-License-Identifier: MIT
#include "platform/inet/curl/http_transfer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/inet/curl/curl_errors.h"
#include "platform/inet/curl/http_headers.h"
#include "platform/inet/host_name.h"

std::unique_ptr<CHttpFile::Transfer> NewHttpTransfer(HttpRequest request)
{
    return std::make_unique<CurlHttpTransfer>(std::move(request));
}

CurlHttpTransfer::CurlHttpTransfer(HttpRequest request) : m_request(std::move(request)), m_easy(NewCurlEasy())
{
    if (m_request.urlHost)
        m_url = "http://" + *m_request.urlHost + ":" + std::to_string(m_request.port) + m_request.object;
    m_buffer.reserve(kBufferSize);
}

void CurlHttpTransfer::Send(std::string_view headers, std::string_view body)
{
    if (m_state == State::Closed) throw std::logic_error("SendRequest on a closed request");
    if (!m_request.urlHost) throw NameNotResolved(m_request.host);
    m_loop.Stop();
    m_buffer.clear();
    m_taken = 0;
    m_paused = false;
    m_headersDone = false;
    SetUp(headers, body);
    m_state = State::Sent;
    m_loop.Start(m_easy.get(), {m_request.receiveTimeout, m_request.exchangeTimeout});
    m_loop.RunUntil([this] { return m_headersDone; });
    if (m_headersDone) return;  // a failure later in the body is Read's to report
    if (m_loop.Result() != CURLE_OK) ThrowFailure();
    // The server ended the connection inside the header block: whatever came
    // is no reply.
    throw CInternetException(ERROR_HTTP_INVALID_SERVER_RESPONSE);
}

UINT CurlHttpTransfer::Read(char* buffer, UINT count)
{
    if (m_state != State::Sent) throw std::logic_error("Read on a request that is not sent or already closed");
    UINT given = 0;
    while (given < count) {
        if (m_taken < m_buffer.size()) {
            const std::size_t part = std::min<std::size_t>(count - given, m_buffer.size() - m_taken);
            std::memcpy(buffer + given, m_buffer.data() + m_taken, part);
            m_taken += part;
            given += static_cast<UINT>(part);
            continue;
        }
        m_buffer.clear();
        m_taken = 0;
        if (m_loop.Ended()) {
            if (m_loop.Result() != CURLE_OK) ThrowFailure();
            break;
        }
        const std::size_t wanted = count - given;
        Resume();
        m_loop.RunUntil([this, wanted] { return m_paused || m_buffer.size() >= wanted; });
    }
    return given;
}

void CurlHttpTransfer::Close()
{
    m_loop.Stop();
    m_buffer.clear();
    m_taken = 0;
    m_state = State::Closed;
}

void CurlHttpTransfer::SetUp(std::string_view headers, std::string_view body)
{
    CURL* easy = m_easy.get();
    curl_easy_reset(easy);
    m_headers = RequestHeaderLines(headers, m_request.post);
    SetOption(easy, CURLOPT_URL, m_url.c_str());
    SetOption(easy, CURLOPT_PROTOCOLS_STR, "http");
    SetOption(easy, CURLOPT_PATH_AS_IS, 1L);
    SetOption(easy, CURLOPT_NOSIGNAL, 1L);
    SetOption(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    SetOption(easy, CURLOPT_USERAGENT, m_request.agent.c_str());
    SetOption(easy, CURLOPT_HTTPHEADER, m_headers.get());
    SetOption(easy, CURLOPT_CONNECTTIMEOUT_MS,
              static_cast<long>(std::chrono::milliseconds(m_request.connectTimeout).count()));
    SetOption(easy, CURLOPT_HEADERFUNCTION, &CurlHttpTransfer::OnHeader);
    SetOption(easy, CURLOPT_HEADERDATA, this);
    SetOption(easy, CURLOPT_WRITEFUNCTION, &CurlHttpTransfer::OnBody);
    SetOption(easy, CURLOPT_WRITEDATA, this);
    if (m_request.post) {
        m_body.assign(body);
        SetOption(easy, CURLOPT_POST, 1L);
        SetOption(easy, CURLOPT_POSTFIELDS, m_body.data());
        SetOption(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_body.size()));
    } else {
        SetOption(easy, CURLOPT_HTTPGET, 1L);
    }
}

void CurlHttpTransfer::Resume()
{
    if (!m_paused) return;
    m_paused = false;
    m_loop.NoteActivity();
    const CURLcode resumed = curl_easy_pause(m_easy.get(), CURLPAUSE_CONT);
    if (resumed != CURLE_OK) m_loop.End(resumed);
}

void CurlHttpTransfer::ThrowFailure()
{
    throw InternetFailure(m_loop.Result(), m_easy.get(), m_request.host, m_request.port);
}

size_t CurlHttpTransfer::OnHeader(char* data, size_t, size_t count, void* self)
{
    auto& transfer = *static_cast<CurlHttpTransfer*>(self);
    transfer.m_loop.NoteActivity();
    const std::string_view line(data, count);
    if (line == "\r\n" || line == "\n") {
        long status = 0;
        if (curl_easy_getinfo(transfer.m_easy.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) status = 0;
        if (status / 100 != 1) transfer.m_headersDone = true;
    }
    return count;
}

size_t CurlHttpTransfer::OnBody(char* data, size_t, size_t count, void* self)
{
    auto& transfer = *static_cast<CurlHttpTransfer*>(self);
    if (transfer.m_buffer.size() + count > kBufferSize) {
        transfer.m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    transfer.m_buffer.append(data, count);
    transfer.m_loop.NoteActivity();
    return count;
}
