// SPDX-License-Identifier: MIT
// Runs one transfer at a time on a multi handle while the caller blocks until
// it has what it waits for: the transfer's end, or a state that the
// transfer's callbacks bring about. Keeps the window painted meanwhile, and
// ends a transfer that shows no activity for the idle limit or that goes on
// longer than the whole-exchange limit.
//
// The idle clock starts when the transfer's connection is ready for its
// request (before that the connect time-out applies) and restarts with every
// NoteActivity and every RunUntil. The whole-exchange clock starts with
// Start and runs until the transfer ends, whether or not the caller waits.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <functional>

#include "platform/inet/curl/curl_handles.h"
#include "platform/inet/paint_pacer.h"
#include "platform/inet/transfer_limits.h"

class TransferLoop {
public:
    TransferLoop();
    ~TransferLoop();
    TransferLoop(const TransferLoop&) = delete;
    TransferLoop& operator=(const TransferLoop&) = delete;

    // Starts the transfer that `easy` is set up for; takes over the handle's
    // CURLOPT_PREREQFUNCTION. Stops a transfer still running. The handle
    // must outlive its transfer (or the loop).
    void Start(CURL* easy, TransferLimits limits);

    // Closes the connection of the loop's cache that `easy` would reuse,
    // without sending anything on it: the transfer is refused as soon as its
    // connection is ready. Set `easy` up so that it makes no new connection
    // (see RefuseNewConnections), else one is made and closed again.
    void DropConnection(CURL* easy);

    // Runs the transfer until `ready()` holds or it has ended; true when it
    // has ended. `ready` is asked after each step of the transfer; when it
    // throws, the transfer is stopped and the exception passes on.
    bool RunUntil(const std::function<bool()>& ready);

    // Runs the transfer to its end and returns its result; `eachStep`, when
    // given, is called after each step of it (as `ready` of RunUntil).
    CURLcode RunToEnd(const std::function<void()>& eachStep = {});

    bool Ended() const { return m_ended; }
    // CURLE_OPERATION_TIMEDOUT when a limit ended it.
    CURLcode Result() const { return m_result; }

    // The loop's own limit that ended the last transfer; None when none did.
    ExceededLimit Exceeded() const { return m_exceeded; }

    // Bytes or replies have moved: restarts the idle clock.
    void NoteActivity();

    // Ends the transfer at once with `result`; a connection in mid-transfer
    // is closed.
    void End(CURLcode result);
    // Ends a running transfer at once (CURLE_ABORTED_BY_CALLBACK).
    void Stop();

private:
    using Clock = std::chrono::steady_clock;

    static int OnConnectionReady(void* self, char* remoteIp, char* localIp, int remotePort, int localPort);
    static int RefuseRequest(void* self, char* remoteIp, char* localIp, int remotePort, int localPort);
    void Attach(CURL* easy, TransferLimits limits);
    void CollectResult();
    bool Ready(const std::function<bool()>& ready);
    bool IdleTooLong(Clock::time_point now) const;
    int PollMilliseconds(Clock::time_point now) const;

    CurlMulti m_multi;
    CURL* m_easy = nullptr;
    bool m_ended = true;
    CURLcode m_result = CURLE_OK;
    ExceededLimit m_exceeded = ExceededLimit::None;
    bool m_clockRunning = false;
    TransferLimits m_limits{};
    Clock::time_point m_lastActivity{};
    Clock::time_point m_deadline{};
    PaintPacer m_painter;
};

// Sets `easy` up to make no connection of its own: a transfer either reuses
// a connection of the loop's cache or fails at once (CURLE_COULDNT_CONNECT)
// without any traffic.
void RefuseNewConnections(CURL* easy);
