// SPDX-License-Identifier: MIT
// The FTP client on libcurl: one transfer handle and one loop whose
// connection cache keeps the logged-in control connection between transfers.
#pragma once

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/inet/curl/curl_handles.h"
#include "platform/inet/curl/transfer_loop.h"
#include "platform/inet/ftp_control.h"
#include "platform/inet/ftp_replies.h"

class CurlFtpClient final : public CFtpConnection::Control {
public:
    explicit CurlFtpClient(FtpServer server);
    ~CurlFtpClient() override;
    CurlFtpClient(const CurlFtpClient&) = delete;
    CurlFtpClient& operator=(const CurlFtpClient&) = delete;

    // Connects and logs in; throws as ConnectFtp says.
    void LogIn();
    bool Download(const FtpFile& file) override;
    bool Upload(const FtpFile& file) override;

private:
    static size_t OnReply(char* data, size_t size, size_t count, void* self);
    static size_t OnWrite(char* data, size_t size, size_t count, void* self);
    static size_t OnRead(char* data, size_t size, size_t count, void* self);
    void Goodbye() noexcept;
    void SetUp(const std::string& remote);
    bool Transfer(const FtpFile& file);
    CURLcode Run(std::FILE* file, TransferLimits limits, ProgressNotifier* progress = nullptr);
    std::string FailureReason(CURLcode result, const std::filesystem::path& local) const;
    TransferLimits Limits() const;
    void DropControlConnection();

    FtpServer m_server;
    std::string m_url;       // "ftp://host:port/"
    CurlEasy m_easy;
    CurlSlist m_commands;    // commands sent before the request (the goodbye's QUIT)
    std::FILE* m_file = nullptr;
    FtpReplies m_replies;
    int m_localError = 0;    // the system's error number of a failed read or write of the local file
    char m_errorText[CURL_ERROR_SIZE] = {};
    std::exception_ptr m_failure;
    TransferLoop m_loop;     // after the handle: stopped first
};
