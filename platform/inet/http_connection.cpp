// SPDX-License-Identifier: MIT
#include "platform/inet/http_connection.h"

#include <stdexcept>

#include "platform/inet/host_name.h"
#include "platform/inet/http_transfer.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/layer_settings.h"

std::unique_ptr<CHttpConnection> CInternetSession::GetHttpConnection(const std::string& server, int port,
                                                                     const char*, const char*)
{
    const LayerSettings settings = ReadLayerSettings();
    return std::make_unique<CHttpConnection>(*this, server, PortOrDefault(port, settings.httpPort));
}

CHttpConnection::CHttpConnection(CInternetSession& session, std::string server, int port)
    : m_session(session), m_server(std::move(server)), m_port(port)
{
}

CHttpConnection::~CHttpConnection() = default;

// The referer, accept types, version and flags are not used: a request
// carries no Referer or Accept header and always says HTTP/1.0.
std::unique_ptr<CHttpFile> CHttpConnection::OpenRequest(int verb, const std::string& object, const char*,
                                                        DWORD_PTR, const char**, const char*, DWORD)
{
    if (verb != HTTP_VERB_POST && verb != HTTP_VERB_GET)
        throw std::invalid_argument("unknown HTTP verb index " + std::to_string(verb));
    const LayerSettings settings = ReadLayerSettings();
    // Nothing but a host name ever reaches the transfer library.
    HttpRequest request{UrlHostOf(m_server),
                        m_server,
                        m_port,
                        object.starts_with('/') ? object : "/" + object,
                        verb == HTTP_VERB_POST,
                        m_session.Agent(),
                        settings.connectTimeout,
                        settings.receiveTimeout,
                        settings.exchangeTimeout};
    return std::unique_ptr<CHttpFile>(new CHttpFile(NewHttpTransfer(std::move(request))));
}

// Each request holds its own connection; the connection object holds none.
void CHttpConnection::Close() {}

CHttpFile::CHttpFile(std::unique_ptr<Transfer> transfer) : m_transfer(std::move(transfer)) {}

CHttpFile::~CHttpFile() = default;

BOOL CHttpFile::SendRequest(const char* headers, DWORD headersLength, const void* optional, DWORD optionalLength)
{
    const std::string_view headerBlock = headers ? std::string_view(headers, headersLength) : std::string_view();
    const std::string_view body =
        optional ? std::string_view(static_cast<const char*>(optional), optionalLength) : std::string_view();
    m_transfer->Send(headerBlock, body);
    return TRUE;
}

UINT CHttpFile::Read(void* buffer, UINT count) { return m_transfer->Read(static_cast<char*>(buffer), count); }

void CHttpFile::Close() { m_transfer->Close(); }
