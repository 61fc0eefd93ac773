// SPDX-License-Identifier: MIT
// The Internet layer's failure: an error code of the platform's numbering,
// with the platform's text for it, and in plain words what failed where.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/exception.h"
#include "platform/ui/win_types.h"

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

class CInternetException : public CException {
public:
    explicit CInternetException(DWORD error, std::string serverResponse = {}, std::string detail = {});

    // The platform's text for the code (for ERROR_INTERNET_EXTENDED_ERROR the
    // server's last response); empty for a code without a text.
    std::string GetErrorMessage() const override;

    // Shows the text in an application message box; string `messageId`, else
    // string 61472 "No error message is available.", when there is none.
    int ReportError(UINT type = MB_OK, UINT messageId = 0) const;

    // What failed where, for a log: "<host> port <port>: <the system's reason>"
    // for a connection that was refused or failed, "<host>: name not
    // resolved" for a name without an address; empty otherwise.
    const std::string& Detail() const { return m_detail; }

    DWORD m_dwError;
    DWORD_PTR m_dwContext = 1;

private:
    std::string m_serverResponse;
    std::string m_detail;
};
