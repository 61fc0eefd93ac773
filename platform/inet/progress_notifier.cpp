// SPDX-License-Identifier: MIT
#include "platform/inet/progress_notifier.h"

#include <utility>

ProgressNotifier::ProgressNotifier(InternetTransferProgress start, Receiver receiver)
    : m_counts(std::move(start)), m_receiver(std::move(receiver))
{
}

void ProgressNotifier::Take(std::int64_t total, std::int64_t done)
{
    if (total > 0 && m_counts.total == 0) m_counts.total = static_cast<std::uint64_t>(total);
    if (done > 0 && static_cast<std::uint64_t>(done) > m_counts.done) m_counts.done = static_cast<std::uint64_t>(done);
}

void ProgressNotifier::Deliver()
{
    if (m_handedAny && m_counts.done == m_handed.done) return;
    const bool lastByte = m_counts.total != 0 && m_counts.done == m_counts.total;
    if (m_counts.done == 0 && !lastByte) return;
    const auto now = Clock::now();
    if (!lastByte && m_handedAny && now - m_lastHanded < kInterval) return;
    m_lastHanded = now;
    Hand(INTERNET_STATUS_TRANSFER_PROGRESS);
}

void ProgressNotifier::Finish(bool succeeded)
{
    if (succeeded) {
        if (m_counts.total == 0) m_counts.total = m_counts.done;
        if (!m_handedAny || m_handed.done != m_counts.done || m_handed.total != m_counts.total)
            Hand(INTERNET_STATUS_TRANSFER_PROGRESS);
    }
    m_receiver(INTERNET_STATUS_TRANSFER_ENDED, m_counts);
}

void ProgressNotifier::Hand(DWORD status)
{
    m_handed = m_counts;
    m_handedAny = true;
    m_receiver(status, m_counts);
}
