// SPDX-License-Identifier: MIT
#include "platform/inet/wininet/wininet_errors.h"

#include <winsock2.h>

#include "platform/files/windows/system_error_text.h"
#include "platform/inet/wininet/connect_probe.h"

namespace {

// The range of WinInet's own codes.
constexpr DWORD kFirstInternetError = INTERNET_ERROR_BASE;
constexpr DWORD kLastInternetError = INTERNET_ERROR_LAST;

bool IsInternetError(DWORD error) { return error >= kFirstInternetError && error <= kLastInternetError; }

// The system's reason for `error`: for a socket code, the system's text
// ("Connection refused"); for a WinInet code, the platform's text.
std::string ReasonOf(DWORD error)
{
    if (!IsInternetError(error)) return SystemErrorText(error);
    const std::string text = CInternetException(error).GetErrorMessage();
    return text.empty() ? "error " + std::to_string(error) : text;
}

// Why the connection to `host` and `port` failed with `error`: the socket's
// own reason where WinInet gave only its code for any failed connect.
std::string ConnectReasonOf(DWORD error, const std::string& host, int port)
{
    if (error != ERROR_INTERNET_CANNOT_CONNECT) return ReasonOf(error);
    const DWORD socketError = ConnectFailureCode(host, port);
    return ReasonOf(socketError ? socketError : error);
}

}  // namespace

DWORD InternetErrorOf(DWORD error)
{
    if (IsInternetError(error)) return error;
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
    case ERROR_INTERNET_CANNOT_CONNECT: return host + " port " + std::to_string(port) + ": " + ConnectReasonOf(error, host, port);
    case ERROR_INTERNET_TIMEOUT: return host + " port " + std::to_string(port) + ": " + ReasonOf(error);
    default: return {};
    }
}

CInternetException InternetFailure(DWORD error, const std::string& host, int port)
{
    return CInternetException(InternetErrorOf(error), {}, ConnectionDetail(error, host, port));
}
