// SPDX-License-Identifier: MIT
// One HTTP request as the transfer library makes it: what CHttpConnection
// hands on, and the side of CHttpFile that each library implements.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/inet/http_connection.h"

struct HttpRequest {
    std::optional<std::string> urlHost;  // the host part of a URL for the server; none when
                                         // the server name is not a host name
    std::string host;                    // the server name as given
    int port;
    std::string object;                  // the object path, beginning with a slash
    bool post;
    std::string agent;
    std::chrono::seconds connectTimeout;
    std::chrono::seconds receiveTimeout;
    std::chrono::seconds exchangeTimeout;  // from sending the request through the last read
};

struct CHttpFile::Transfer {
    virtual ~Transfer() = default;

    // Sends the request and waits for the response headers; throws
    // CInternetException when that fails, when the server name is not a
    // host name (nothing is sent then), and when the server ends the
    // connection before the header block is complete.
    virtual void Send(std::string_view headers, std::string_view body) = 0;
    // See CHttpFile::Read.
    virtual UINT Read(char* buffer, UINT count) = 0;
    virtual void Close() = 0;
};

// The transfer of `request`, made by the build's transfer library.
std::unique_ptr<CHttpFile::Transfer> NewHttpTransfer(HttpRequest request);
