// SPDX-License-Identifier: MIT
// The FTP client behind CFtpConnection: one logged-in control connection and
// its transfers, binary, in active mode (PORT) unless passive mode (PASV) was
// asked for. Each transfer library has its own; they share this interface
// and the bookkeeping of the last transfer's failure.
//
// A transfer that fails without the server's refusal as the last word may
// leave a reply owed on the control connection (a late "425" after an
// abandoned data connection, a "226" after a cut download); that connection
// is closed, and the next transfer logs in on a fresh one.
#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/inet/ftp_connection.h"
#include "platform/inet/layer_settings.h"
#include "platform/inet/progress_notifier.h"

struct FtpServer {
    std::string urlHost;   // the host part of a URL for the server (UrlHostOf)
    std::string host;      // the server name as given
    int port;
    std::string user;      // empty: anonymous
    std::string password;
    bool passive;
    LayerSettings settings;
    std::string agent;     // the session's user agent
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

    // Says goodbye: sends QUIT on the open control connection, if there is
    // one, waits for the reply at most kGoodbyeLimit (the window kept
    // painted), and closes the connection. Makes no new connection.
    virtual ~Control() = default;

    // Retrieves the file's remote name into its stream; true when the whole
    // file arrived. Throws what the progress's receiver throws, the
    // transfer stopped and the control connection closed.
    virtual bool Download(const FtpFile& file) = 0;
    // Stores what the file's stream holds under its remote name; true when
    // the server took it all. Throws as Download does.
    virtual bool Upload(const FtpFile& file) = 0;

    // The platform's code for the last transfer's failure; 0 after a success.
    DWORD LastError() const { return m_lastError; }
    // The last line of the server's last reply to the last transfer, when it
    // failed; empty otherwise.
    const std::string& LastResponse() const { return m_lastResponse; }
    // Why the last transfer failed, in plain words (see
    // CFtpConnection::LastFailureReason); empty after a success.
    const std::string& LastFailureReason() const { return m_lastFailureReason; }

protected:
    void Succeeded();
    void Failed(DWORD error, std::string response, std::string reason);

private:
    DWORD m_lastError = 0;
    std::string m_lastResponse;
    std::string m_lastFailureReason;
};

// Connects to `server` and logs in, with the build's transfer library.
// Throws CInternetException when either fails: ERROR_INTERNET_EXTENDED_ERROR
// with the server's reply when the server refused (a "421" greeting, a "530"
// login), the code of the failure otherwise.
std::unique_ptr<CFtpConnection::Control> ConnectFtp(FtpServer server);
