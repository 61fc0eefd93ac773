// SPDX-License-Identifier: MIT
// One HTTP request made with WinInet. Each blocking call runs on a thread of
// the call pool while the caller keeps the window painted and the time limits,
// and the reply is checked for what WinInet lets pass: nothing at all, a
// status line without a code, a header block cut off, a body shorter than
// its declared length.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/inet/http_transfer.h"
#include "platform/inet/wininet/call_pool.h"
#include "platform/inet/wininet/link_watch.h"
#include "platform/inet/wininet/wininet_link.h"

class WinInetHttpTransfer final : public CHttpFile::Transfer {
public:
    explicit WinInetHttpTransfer(HttpRequest request);
    ~WinInetHttpTransfer() override;
    WinInetHttpTransfer(const WinInetHttpTransfer&) = delete;
    WinInetHttpTransfer& operator=(const WinInetHttpTransfer&) = delete;

    void Send(std::string_view headers, std::string_view body) override;
    UINT Read(char* buffer, UINT count) override;
    void Close() override;

private:
    static constexpr std::size_t kChunkSize = 64 * 1024;

    enum class State { Unsent, Sent, Closed };

    void Open();
    void CheckReply();
    std::optional<std::uint64_t> DeclaredLength() const;
    bool HasHeaderLines() const;
    bool BodyFollows();
    void Fetch(std::size_t wanted);
    CallOutcome Make(std::function<BOOL()> call);
    LinkWatch::Limits Limits() const;
    void Drop();
    [[noreturn]] void Fail(DWORD error);
    [[noreturn]] void Fail(CInternetException failure);

    HttpRequest m_request;
    State m_state = State::Unsent;
    std::optional<CInternetException> m_failure;  // what ended the request; every later Read throws it
    std::shared_ptr<WinInetLink> m_link;
    BlockingCalls m_calls;
    WinInetLink::Clock::time_point m_deadline{};
    std::optional<std::uint64_t> m_declared;  // the body's length as the reply declared it
    std::uint64_t m_received = 0;
    bool m_ended = false;
    std::shared_ptr<std::vector<char>> m_chunk;  // what the last read took in
    std::size_t m_chunkSize = 0;
    std::size_t m_taken = 0;
};
