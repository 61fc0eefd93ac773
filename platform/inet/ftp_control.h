// The FTP client behind CFtpConnection: one transfer handle and one loop
// whose connection cache keeps the logged-in control connection between
// transfers. Transfers are binary, in active mode (PORT) unless passive mode
// (PASV) was asked for.
#pragma once

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "platform/inet/curl_handles.h"
#include "platform/inet/ftp_connection.h"
#include "platform/inet/layer_settings.h"
#include "platform/inet/transfer_loop.h"

struct FtpServer {
    std::string url;       // "ftp://host:port/"
    std::string user;      // empty: anonymous
    std::string password;
    bool passive;
    LayerSettings settings;
};

struct CFtpConnection::Control {
public:
    explicit Control(FtpServer server);

    // Connects and logs in; throws CInternetException when either fails
    // (ERROR_INTERNET_EXTENDED_ERROR with the server's refusal when the login
    // is refused).
    void LogIn();
    // Retrieves `remote` into `out`; true when the whole file arrived.
    bool Download(const std::string& remote, std::FILE* out);
    // Stores what `in` holds as `remote`; true when the server took it all.
    bool Upload(std::FILE* in, const std::string& remote);

private:
    static constexpr std::size_t kMaxReplySize = 4096;

    static size_t OnReply(char* data, size_t size, size_t count, void* self);
    static size_t OnWrite(char* data, size_t size, size_t count, void* self);
    static size_t OnRead(char* data, size_t size, size_t count, void* self);
    void SetUp(const std::string& remote);
    CURLcode Run(std::FILE* file);
    void TakeReplyLine(std::string_view line);

    FtpServer m_server;
    CurlEasy m_easy;
    std::FILE* m_file = nullptr;
    std::string m_reply;     // the server's reply being received, or the last one
    bool m_replyDone = true;
    std::string m_refusal;   // the last reply of class 4xx or 5xx
    std::exception_ptr m_failure;
    TransferLoop m_loop;     // after the handle: stopped first
};
