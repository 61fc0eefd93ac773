// SPDX-License-Identifier: MIT
#include "platform/inet/internet_exception.h"

#include "platform/base/application.h"
#include "platform/base/string_resources.h"

namespace {

// The platform's texts for the codes this layer raises.
std::string PlatformText(DWORD error)
{
    switch (error) {
    case ERROR_INTERNET_TIMEOUT: return "The operation timed out";
    case ERROR_INTERNET_NAME_NOT_RESOLVED: return "The server name or address could not be resolved";
    case ERROR_INTERNET_CANNOT_CONNECT: return "A connection with the server could not be established";
    case ERROR_INTERNET_CONNECTION_ABORTED: return "The connection with the server was terminated abnormally";
    case ERROR_INTERNET_CONNECTION_RESET: return "The connection with the server was reset";
    case ERROR_HTTP_INVALID_SERVER_RESPONSE: return "The server returned an invalid or unrecognized response";
    default: return {};
    }
}

}  // namespace

CInternetException::CInternetException(DWORD error, std::string serverResponse, std::string detail)
    : m_dwError(error), m_serverResponse(std::move(serverResponse)), m_detail(std::move(detail))
{
}

std::string CInternetException::GetErrorMessage() const
{
    if (m_dwError == ERROR_INTERNET_EXTENDED_ERROR) return m_serverResponse;
    return PlatformText(m_dwError);
}

int CInternetException::ReportError(UINT type, UINT messageId) const { return AfxMessageBox(ReportText(messageId), type); }

std::string CInternetException::ReportText(UINT messageId) const
{
    const std::string text = GetErrorMessage();
    return text.empty() ? AfxLoadString(messageId ? messageId : AFX_IDP_NO_ERROR_AVAILABLE) : text;
}
