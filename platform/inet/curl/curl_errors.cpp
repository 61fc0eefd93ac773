// SPDX-License-Identifier: MIT
#include "platform/inet/curl/curl_errors.h"

#include <cerrno>
#include <system_error>

DWORD InternetErrorOf(CURLcode code, long osErrno)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT: return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT: return ERROR_INTERNET_TIMEOUT;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return osErrno == ECONNRESET ? ERROR_INTERNET_CONNECTION_RESET : ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE: return ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_WEIRD_SERVER_REPLY:
    // What the library reports for a reply without an HTTP status line.
    case CURLE_UNSUPPORTED_PROTOCOL: return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    default: return ERROR_INTERNET_INTERNAL_ERROR;
    }
}

DWORD InternetErrorOf(CURLcode code, CURL* easy)
{
    long osErrno = 0;
    if (curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno) != CURLE_OK) osErrno = 0;
    return InternetErrorOf(code, osErrno);
}

std::string ConnectionDetail(CURLcode code, CURL* easy, const std::string& host, int port)
{
    if (code == CURLE_COULDNT_RESOLVE_HOST) return host + ": name not resolved";
    const std::string where = host + " port " + std::to_string(port) + ": ";
    if (code == CURLE_OPERATION_TIMEDOUT) return where + std::generic_category().message(ETIMEDOUT);
    if (code != CURLE_COULDNT_CONNECT) return {};
    long osErrno = 0;
    if (curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno) != CURLE_OK) osErrno = 0;
    const std::string reason =
        osErrno ? std::generic_category().message(static_cast<int>(osErrno)) : curl_easy_strerror(code);
    return where + reason;
}

CInternetException InternetFailure(CURLcode code, CURL* easy, const std::string& host, int port)
{
    return CInternetException(InternetErrorOf(code, easy), {}, ConnectionDetail(code, easy, host, port));
}
