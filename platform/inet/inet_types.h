// SPDX-License-Identifier: MIT
// The Internet layer's vocabulary: error codes, flags and port numbers, named
// as the program's code uses them. On Windows they are the system's own, from
// <wininet.h>; elsewhere this header defines them with the system's values.
#pragma once

#include "platform/base/win_types.h"

#ifdef _WIN32
#include <wininet.h>
#else
#include <cstdint>

using DWORD_PTR = std::uintptr_t;

inline constexpr DWORD ERROR_IO_PENDING = 997;
inline constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
inline constexpr DWORD ERROR_INTERNET_EXTENDED_ERROR = 12003;  // text: the server's last response
inline constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
inline constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
inline constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
inline constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;

inline constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;  // the system's proxy settings
inline constexpr int INTERNET_INVALID_PORT_NUMBER = 0;    // the service's default port
inline constexpr int INTERNET_DEFAULT_FTP_PORT = 21;      // the FTP service's port
inline constexpr DWORD INTERNET_FLAG_EXISTING_CONNECT = 0x20000000;

inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FTP_TRANSFER_TYPE_BINARY = 2;
#endif

// The framework's verb indexes of CHttpConnection::OpenRequest.
inline constexpr int HTTP_VERB_POST = 0;
inline constexpr int HTTP_VERB_GET = 1;
