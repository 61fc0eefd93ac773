// SPDX-License-Identifier: MIT
// The progress of one FTP transfer: counts taken from the transfer library
// as bytes move, handed on from the thread that waits for the transfer
// (never from inside the library, so that the receiver may throw) at most
// every 100 ms, once more when the last byte has moved, and once when the
// transfer has ended.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/inet/transfer_status.h"

class ProgressNotifier {
public:
    static constexpr std::chrono::milliseconds kInterval{100};

    using Receiver = std::function<void(DWORD status, const InternetTransferProgress& progress)>;

    // `start` names the transfer, with the total when it is known already
    // (an upload's file size).
    ProgressNotifier(InternetTransferProgress start, Receiver receiver);

    bool Upload() const { return m_counts.upload; }

    // Takes the library's counts: the total (for a download, as the server
    // announced it) and the bytes moved so far. Counts only grow: a count
    // that is not positive, or smaller than before, says nothing new (a
    // library may report nothing, 0 or -1, after it knew something).
    void Take(std::int64_t total, std::int64_t done);
    // Hands on INTERNET_STATUS_TRANSFER_PROGRESS when bytes have moved since
    // the last time and either the interval has passed or the last byte has
    // moved.
    void Deliver();
    // After a success, the total when it was unknown is what moved, and the
    // last progress goes out if it has not; then INTERNET_STATUS_TRANSFER_ENDED.
    void Finish(bool succeeded);

private:
    using Clock = std::chrono::steady_clock;

    void Hand(DWORD status);

    InternetTransferProgress m_counts;
    Receiver m_receiver;
    InternetTransferProgress m_handed{};  // the counts of the last progress handed on
    bool m_handedAny = false;
    Clock::time_point m_lastHanded{};
};
