// SPDX-License-Identifier: MIT
#include "platform/inet/progress_notifier.h"

#include <sys/socket.h>

#include <utility>

#include "platform/inet/curl_handles.h"

ProgressNotifier::ProgressNotifier(InternetTransferProgress start, Receiver receiver)
    : m_counts(std::move(start)), m_receiver(std::move(receiver))
{
}

namespace {

// The send buffer of an upload's data connection. Left to itself the system
// takes hundreds of kilobytes on the spot, and the progress would reach the
// end long before the device has the bytes.
constexpr int kSendBuffer = 64 * 1024;

int LimitSendBuffer(void*, curl_socket_t socket, curlsocktype)
{
    const int size = kSendBuffer;
    return setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &size, sizeof size) == 0 ? CURL_SOCKOPT_OK : CURL_SOCKOPT_ERROR;
}

}  // namespace

void ProgressNotifier::Watch(CURL* easy)
{
    SetOption(easy, CURLOPT_XFERINFOFUNCTION, &ProgressNotifier::OnProgress);
    SetOption(easy, CURLOPT_XFERINFODATA, this);
    SetOption(easy, CURLOPT_NOPROGRESS, 0L);
    if (m_counts.upload) SetOption(easy, CURLOPT_SOCKOPTFUNCTION, &LimitSendBuffer);
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

void ProgressNotifier::Settle(CURL* easy)
{
    curl_off_t done = 0;
    curl_off_t total = 0;
    const bool upload = m_counts.upload;
    if (curl_easy_getinfo(easy, upload ? CURLINFO_SIZE_UPLOAD_T : CURLINFO_SIZE_DOWNLOAD_T, &done) != CURLE_OK ||
        (!upload && curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total) != CURLE_OK))
        return;
    Take(total, done);
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

int ProgressNotifier::OnProgress(void* self, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t,
                                 curl_off_t uploaded)
{
    auto& progress = *static_cast<ProgressNotifier*>(self);
    if (progress.m_counts.upload)
        progress.Take(0, uploaded);
    else
        progress.Take(downloadTotal, downloaded);
    return 0;
}

// Counts only grow: the library reports what it knows, which for a total
// may be nothing (0 or -1) after it was something.
void ProgressNotifier::Take(curl_off_t total, curl_off_t done)
{
    if (total > 0 && m_counts.total == 0) m_counts.total = static_cast<std::uint64_t>(total);
    if (done > 0 && static_cast<std::uint64_t>(done) > m_counts.done) m_counts.done = static_cast<std::uint64_t>(done);
}

void ProgressNotifier::Hand(DWORD status)
{
    m_handed = m_counts;
    m_handedAny = true;
    m_receiver(status, m_counts);
}
