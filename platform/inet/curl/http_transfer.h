// SPDX-License-Identifier: MIT
// One HTTP request made with libcurl, and its response body taken in through
// a small buffer. The transfer pauses while the buffer is full, so memory
// stays bounded whatever the server sends.
#pragma once

#include <string>
#include <string_view>

#include "platform/inet/curl/curl_handles.h"
#include "platform/inet/curl/transfer_loop.h"
#include "platform/inet/http_transfer.h"

class CurlHttpTransfer final : public CHttpFile::Transfer {
public:
    explicit CurlHttpTransfer(HttpRequest request);

    void Send(std::string_view headers, std::string_view body) override;
    UINT Read(char* buffer, UINT count) override;
    void Close() override;

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
    std::string m_url;
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
