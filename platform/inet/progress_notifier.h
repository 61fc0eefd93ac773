// SPDX-License-Identifier: MIT
// The progress of one FTP transfer: counts taken from the transfer library
// as bytes move, handed on from the transfer loop (never from inside the
// library, so that the receiver may throw) at most every 100 ms, once more
// when the last byte has moved, and once when the transfer has ended.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <functional>

#include "platform/inet/transfer_status.h"

class ProgressNotifier {
public:
    static constexpr std::chrono::milliseconds kInterval{100};

    using Receiver = std::function<void(DWORD status, const InternetTransferProgress& progress)>;

    // `start` names the transfer, with the total when it is known already
    // (an upload's file size).
    ProgressNotifier(InternetTransferProgress start, Receiver receiver);

    // Has the library report the counts of the transfer `easy` is set up for.
    void Watch(CURL* easy);
    // Hands on INTERNET_STATUS_TRANSFER_PROGRESS when bytes have moved since
    // the last time and either the interval has passed or the last byte has
    // moved. An upload's count is what the system has taken to send, so the
    // upload's data connection keeps a small send buffer.
    void Deliver();
    // Takes the final counts from `easy` once its transfer has ended; call it
    // before the handle is set up again.
    void Settle(CURL* easy);
    // After a success, the total when it was unknown is what moved, and the
    // last progress goes out if it has not; then INTERNET_STATUS_TRANSFER_ENDED.
    void Finish(bool succeeded);

private:
    using Clock = std::chrono::steady_clock;

    static int OnProgress(void* self, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t uploadTotal,
                          curl_off_t uploaded);
    void Take(curl_off_t total, curl_off_t done);
    void Hand(DWORD status);

    InternetTransferProgress m_counts;
    Receiver m_receiver;
    InternetTransferProgress m_handed{};  // the counts of the last progress handed on
    bool m_handedAny = false;
    Clock::time_point m_lastHanded{};
};
