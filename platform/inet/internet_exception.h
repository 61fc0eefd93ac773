// SPDX-License-Identifier: MIT
// The Internet layer's failure: an error code of the platform's numbering,
// with the platform's text for it, and in plain words what failed where.
#pragma once

#include <string>

#include "platform/base/exception.h"
#include "platform/inet/inet_types.h"

class CInternetException : public CException {
public:
    explicit CInternetException(DWORD error, std::string serverResponse = {}, std::string detail = {});

    // The platform's text for the code (for ERROR_INTERNET_EXTENDED_ERROR the
    // server's last response); empty for a code without a text.
    std::string GetErrorMessage() const override;

    // Shows ReportText in an application message box.
    int ReportError(UINT type = MB_OK, UINT messageId = 0) const;
    // The text ReportError shows: GetErrorMessage, else string `messageId`,
    // else string 61472 "No error message is available.".
    std::string ReportText(UINT messageId = 0) const;

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
