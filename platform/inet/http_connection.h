// SPDX-License-Identifier: MIT
// An HTTP connection to one server and the requests made on it.
#pragma once

#include <memory>
#include <string>

#include "platform/inet/inet_types.h"
#include "platform/inet/internet_exception.h"

class CInternetSession;
class CHttpFile;

class CHttpConnection {
public:
    CHttpConnection(CInternetSession& session, std::string server, int port);
    ~CHttpConnection();
    CHttpConnection(const CHttpConnection&) = delete;
    CHttpConnection& operator=(const CHttpConnection&) = delete;

    // A request with verb index HTTP_VERB_POST or HTTP_VERB_GET; the request
    // line says HTTP/1.0.
    std::unique_ptr<CHttpFile> OpenRequest(int verb, const std::string& object, const char* referer = nullptr,
                                           DWORD_PTR context = 1, const char** acceptTypes = nullptr,
                                           const char* version = nullptr,
                                           DWORD flags = INTERNET_FLAG_EXISTING_CONNECT);
    void Close();

private:
    CInternetSession& m_session;
    std::string m_server;
    int m_port;
};

// One request and its response body.
class CHttpFile {
public:
    // The transfer library's side of the request.
    struct Transfer;

    ~CHttpFile();
    CHttpFile(const CHttpFile&) = delete;
    CHttpFile& operator=(const CHttpFile&) = delete;

    // Sends the request: the header block (header lines separated by LF, sent
    // as they stand) and the body, byte for byte. Returns when the response
    // has begun; throws CInternetException when it cannot be sent or the
    // server does not answer.
    BOOL SendRequest(const char* headers, DWORD headersLength, const void* optional, DWORD optionalLength);

    // Reads up to `count` bytes of the response body: the full count unless
    // the body ends first, 0 after its end. Throws CInternetException when
    // the transfer fails.
    UINT Read(void* buffer, UINT count);

    // Ends the request; whatever of the response was not read is dropped.
    void Close();

private:
    friend class CHttpConnection;
    explicit CHttpFile(std::unique_ptr<Transfer> transfer);
    std::unique_ptr<Transfer> m_transfer;
};
