// SPDX-License-Identifier: MIT
// Notifications about the FTP transfers of a session, given to its
// OnStatusCallback when EnableStatusCallback(TRUE) was called on it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/win_types.h"

// Outside the platform's own status codes. Both come with an
// InternetTransferProgress as the status information.
// Bytes have moved: at most 10 times a second, and once more when the last
// byte has moved.
inline constexpr DWORD INTERNET_STATUS_TRANSFER_PROGRESS = 0x10001;
// The transfer has ended, whether it succeeded or not: once, last.
inline constexpr DWORD INTERNET_STATUS_TRANSFER_ENDED = 0x10002;

struct InternetTransferProgress {
    std::string remoteName;  // the file's name on the server
    bool upload;
    std::uint64_t done;      // bytes moved so far
    std::uint64_t total;     // the file's size; 0 while it is unknown (a download
                             // whose size the server did not announce, until it ends)
};
