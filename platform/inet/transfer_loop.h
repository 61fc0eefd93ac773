// Runs one transfer at a time on a multi handle while the caller blocks until
// it has what it waits for: the transfer's end, or a state that the
// transfer's callbacks bring about. Keeps the window painted meanwhile, and
// ends a transfer that shows no activity for the idle limit.
//
// The idle clock starts when the transfer's connection is ready for its
// request (before that the connect time-out applies) and restarts with every
// NoteActivity and every RunUntil.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <functional>

#include "platform/inet/curl_handles.h"
#include "platform/inet/paint_pacer.h"

class TransferLoop {
public:
    TransferLoop();
    ~TransferLoop();
    TransferLoop(const TransferLoop&) = delete;
    TransferLoop& operator=(const TransferLoop&) = delete;

    // Starts the transfer that `easy` is set up for; takes over the handle's
    // CURLOPT_PREREQFUNCTION. Stops a transfer still running. The handle
    // must outlive its transfer (or the loop).
    void Start(CURL* easy, std::chrono::milliseconds idleLimit);

    // Runs the transfer until `ready()` holds or it has ended; true when it
    // has ended.
    bool RunUntil(const std::function<bool()>& ready);

    // Runs the transfer to its end and returns its result.
    CURLcode RunToEnd();

    bool Ended() const { return m_ended; }
    // CURLE_OPERATION_TIMEDOUT when the idle limit ended it.
    CURLcode Result() const { return m_result; }

    // Bytes or replies have moved: restarts the idle clock.
    void NoteActivity();

    // Ends the transfer at once with `result`; a connection in mid-transfer
    // is closed.
    void End(CURLcode result);
    // Ends a running transfer at once (CURLE_ABORTED_BY_CALLBACK).
    void Stop();

private:
    static int OnConnectionReady(void* self, char* remoteIp, char* localIp, int remotePort, int localPort);
    void CollectResult();
    bool IdleTooLong() const;

    CurlMulti m_multi;
    CURL* m_easy = nullptr;
    bool m_ended = true;
    CURLcode m_result = CURLE_OK;
    bool m_clockRunning = false;
    std::chrono::milliseconds m_idleLimit{0};
    std::chrono::steady_clock::time_point m_lastActivity{};
    PaintPacer m_painter;
};
