// The FTP client behind CFtpConnection: one transfer handle and one loop
// whose connection cache keeps the logged-in control connection between
// transfers. Transfers are binary, in active mode (PORT) unless passive mode
// (PASV) was asked for.
//
// A transfer that fails without the server's refusal as the last word may
// leave a reply owed on the control connection (a late "425" after an
// abandoned data connection, a "226" after a cut download); that connection
// is closed, and the next transfer logs in on a fresh one.
#pragma once

#include <chrono>
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
    // The longest the goodbye (QUIT and its reply) may take.
    static constexpr std::chrono::seconds kGoodbyeLimit{3};

    explicit Control(FtpServer server);
    // Says goodbye (see Goodbye).
    ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Connects and logs in; throws CInternetException when either fails:
    // ERROR_INTERNET_EXTENDED_ERROR with the server's reply when the server
    // refused (a "421" greeting, a "530" login), the code of the failure
    // otherwise.
    void LogIn();
    // Retrieves `remote` into `out`; true when the whole file arrived.
    bool Download(const std::string& remote, std::FILE* out);
    // Stores what `in` holds as `remote`; true when the server took it all.
    bool Upload(std::FILE* in, const std::string& remote);
    // The platform's code for the last transfer's failure; 0 after a success.
    DWORD LastError() const { return m_lastError; }
    // The last line of the server's last reply to the last transfer, when it
    // failed; empty otherwise.
    const std::string& LastResponse() const { return m_lastResponse; }

    // Sends QUIT on the open control connection, if there is one, waits for
    // the reply at most kGoodbyeLimit (the window kept painted), and closes
    // the connection. Makes no new connection.
    void Goodbye() noexcept;

private:
    static constexpr std::size_t kMaxReplySize = 4096;

    static size_t OnReply(char* data, size_t size, size_t count, void* self);
    static size_t OnWrite(char* data, size_t size, size_t count, void* self);
    static size_t OnRead(char* data, size_t size, size_t count, void* self);
    void SetUp(const std::string& remote);
    bool Transfer(std::FILE* file);
    CURLcode Run(std::FILE* file, TransferLimits limits);
    TransferLimits Limits() const;
    bool EndedOnARefusal() const;
    void DropControlConnection();
    void TakeReplyLine(std::string_view line);

    FtpServer m_server;
    CurlEasy m_easy;
    CurlSlist m_commands;    // commands sent before the request (the goodbye's QUIT)
    std::FILE* m_file = nullptr;
    std::string m_reply;     // the server's reply being received, or the last one
    bool m_replyDone = true;
    std::string m_refusal;   // the last reply of class 4xx or 5xx
    DWORD m_lastError = 0;
    std::string m_lastResponse;
    std::exception_ptr m_failure;
    TransferLoop m_loop;     // after the handle: stopped first
};
