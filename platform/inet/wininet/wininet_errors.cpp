// SPDX-License-Identifier: MIT
#include "platform/inet/wininet/wininet_errors.h"

#include <winsock2.h>

#include <system_error>

namespace {

// The range of WinInet's own codes.
constexpr DWORD kFirstInternetError = INTERNET_ERROR_BASE;
constexpr DWORD kLastInternetError = INTERNET_ERROR_LAST;

// The system's reason for `error`: for a socket code, the standard library's
// text of the matching portable error ("Connection refused"), so that it
// reads as on other systems; for a WinInet code, the platform's text.
std::string ReasonOf(DWORD error)
{
    const std::error_condition portable =
        std::system_category().default_error_condition(static_cast<int>(error));
    if (portable.category() == std::generic_category()) return portable.message();
    const std::string text = CInternetException(InternetErrorOf(error)).GetErrorMessage();
    return text.empty() ? "error " + std::to_string(error) : text;
}

}  // namespace

DWORD InternetErrorOf(DWORD error)
{
    if (error >= kFirstInternetError && error <= kLastInternetError) return error;
    switch (error) {
    case WSAECONNRESET: return ERROR_INTERNET_CONNECTION_RESET;
    case WSAECONNABORTED:
    case WSAENOTCONN:
    case WSAESHUTDOWN: return ERROR_INTERNET_CONNECTION_ABORTED;
    case WSAETIMEDOUT: return ERROR_INTERNET_TIMEOUT;
    case WSAECONNREFUSED:
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH: return ERROR_INTERNET_CANNOT_CONNECT;
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    default: return ERROR_INTERNET_INTERNAL_ERROR;
    }
}

std::string ConnectionDetail(DWORD error, const std::string& host, int port)
{
    switch (InternetErrorOf(error)) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED: return host + ": name not resolved";
    case ERROR_INTERNET_CANNOT_CONNECT: return host + " port " + std::to_string(port) + ": " + ReasonOf(error);
    default: return {};
    }
}

CInternetException InternetFailure(DWORD error, const std::string& host, int port)
{
    return CInternetException(InternetErrorOf(error), {}, ConnectionDetail(error, host, port));
}
