// SPDX-License-Identifier: MIT
#include "platform/inet/curl/curl_progress.h"

#include <sys/socket.h>

#include "platform/inet/curl/curl_handles.h"

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

int OnProgress(void* self, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t, curl_off_t uploaded)
{
    auto& progress = *static_cast<ProgressNotifier*>(self);
    if (progress.Upload())
        progress.Take(0, uploaded);
    else
        progress.Take(downloadTotal, downloaded);
    return 0;
}

}  // namespace

void WatchProgress(CURL* easy, ProgressNotifier& progress)
{
    SetOption(easy, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    SetOption(easy, CURLOPT_XFERINFODATA, &progress);
    SetOption(easy, CURLOPT_NOPROGRESS, 0L);
    if (progress.Upload()) SetOption(easy, CURLOPT_SOCKOPTFUNCTION, &LimitSendBuffer);
}

void SettleProgress(CURL* easy, ProgressNotifier& progress)
{
    curl_off_t done = 0;
    curl_off_t total = 0;
    const bool upload = progress.Upload();
    if (curl_easy_getinfo(easy, upload ? CURLINFO_SIZE_UPLOAD_T : CURLINFO_SIZE_DOWNLOAD_T, &done) != CURLE_OK ||
        (!upload && curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total) != CURLE_OK))
        return;
    progress.Take(total, done);
}
