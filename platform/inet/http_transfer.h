// SPDX-License-Identifier: MIT
// One HTTP request made with the transfer library, and its response body
// taken in through a small buffer. The transfer pauses while the buffer is
// full, so memory stays bounded whatever the server sends.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "platform/inet/curl_handles.h"
#include "platform/inet/http_connection.h"
#include "platform/inet/transfer_loop.h"

struct HttpRequest {
    std::optional<std::string> url;  // none when the server name is not a host name
    std::string host;                // the server name as given
    int port;
    bool post;
    std::string agent;
    std::chrono::seconds connectTimeout;
    std::chrono::seconds receiveTimeout;
    std::chrono::seconds exchangeTimeout;  // from sending the request through the last read
};

struct CHttpFile::Transfer {
public:
    explicit Transfer(HttpRequest request);

    // Sends the request and waits for the response headers; throws
    // CInternetException when that fails, and when the server ends the
    // connection before the header block is complete.
    void Send(std::string_view headers, std::string_view body);
    // See CHttpFile::Read.
    UINT Read(char* buffer, UINT count);
    void Close();

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;
    // A body chunk never exceeds what the buffer holds, so a chunk always
    // fits once the buffer has been emptied.
    static_assert(kBufferSize >= CURL_MAX_WRITE_SIZE);

    enum class State { Unsent, Sent, Closed };

    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    void SetUp(std::string_view headers, std::string_view body);
    void Resume();
    [[noreturn]] void ThrowFailure();

    HttpRequest m_request;
    State m_state = State::Unsent;
    CurlEasy m_easy;
    CurlSlist m_headers;
    std::string m_body;
    std::string m_buffer;
    std::size_t m_taken = 0;
    bool m_paused = false;
    bool m_headersDone = false;
    TransferLoop m_loop;  // after the handle and the data it uses: stopped first
};
