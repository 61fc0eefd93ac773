// SPDX-License-Identifier: MIT
// The FTP client behind CFtpConnection: one transfer handle and one loop
// whose connection cache keeps the logged-in control connection between
// transfers. Transfers are binary, in active mode (PORT) unless passive mode
// (PASV) was asked for. Each failed transfer leaves its reason in plain words.
//
// A transfer that fails without the server's refusal as the last word may
// leave a reply owed on the control connection (a late "425" after an
// abandoned data connection, a "226" after a cut download); that connection
// is closed, and the next transfer logs in on a fresh one.
#pragma once

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/inet/curl_handles.h"
#include "platform/inet/ftp_connection.h"
#include "platform/inet/layer_settings.h"
#include "platform/inet/transfer_loop.h"
#include "platform/inet/progress_notifier.h"

struct FtpServer {
    std::string url;       // "ftp://host:port/"
    std::string host;      // the server name as given
    int port;
    std::string user;      // empty: anonymous
    std::string password;
    bool passive;
    LayerSettings settings;
};

// One file to move: its name on the server, its local file (open for
// reading or writing, and its path), and what follows its progress (none:
// nobody does).
struct FtpFile {
    std::string remote;
    std::FILE* stream;
    std::filesystem::path local;
    ProgressNotifier* progress = nullptr;
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
    // Retrieves the file's remote name into its stream; true when the whole
    // file arrived. Throws what the progress's receiver throws, the
    // transfer stopped and the control connection closed.
    bool Download(const FtpFile& file);
    // Stores what the file's stream holds under its remote name; true when
    // the server took it all. Throws as Download does.
    bool Upload(const FtpFile& file);
    // The platform's code for the last transfer's failure; 0 after a success.
    DWORD LastError() const { return m_lastError; }
    // The last line of the server's last reply to the last transfer, when it
    // failed; empty otherwise.
    const std::string& LastResponse() const { return m_lastResponse; }
    // Why the last transfer failed, in plain words (see
    // CFtpConnection::LastFailureReason); empty after a success.
    const std::string& LastFailureReason() const { return m_lastFailureReason; }

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
    bool Transfer(const FtpFile& file);
    CURLcode Run(std::FILE* file, TransferLimits limits, ProgressNotifier* progress = nullptr);
    std::string FailureReason(CURLcode result, const std::filesystem::path& local) const;
    std::string TimeoutReason() const;
    std::string DroppedReason() const;
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
    std::string m_lastFailureReason;
    int m_localError = 0;    // the system's error number of a failed read or write of the local file
    char m_errorText[CURL_ERROR_SIZE] = {};
    std::exception_ptr m_failure;
    TransferLoop m_loop;     // after the handle: stopped first
};
