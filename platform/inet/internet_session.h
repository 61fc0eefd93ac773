// SPDX-License-Identifier: MIT
// An Internet session: the settings shared by the HTTP and FTP connections
// opened through it. Synchronous: every call blocks until it has its answer.
#pragma once

#include <memory>
#include <string>

#include "platform/inet/inet_types.h"
#include "platform/inet/internet_exception.h"
#include "platform/inet/transfer_status.h"

class CHttpConnection;
class CFtpConnection;

class CInternetSession {
public:
    // With no agent the application's name is the user agent. Throws
    // CInternetException when the session cannot be opened.
    explicit CInternetSession(const char* agent = nullptr, DWORD_PTR context = 1,
                              DWORD accessType = INTERNET_OPEN_TYPE_PRECONFIG,
                              const char* proxyName = nullptr, const char* proxyBypass = nullptr,
                              DWORD flags = 0);
    virtual ~CInternetSession();
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    // Switches status notifications off and closes the session.
    virtual void Close();

    // Switches status notifications on or off: with them on, FTP transfers
    // report their progress (see transfer_status.h).
    BOOL EnableStatusCallback(BOOL enable = TRUE);
    // A notification about traffic through this session, on the thread that
    // made the call causing it; does nothing here. What it throws ends that
    // call.
    virtual void OnStatusCallback(DWORD_PTR context, DWORD internetStatus, const void* statusInformation,
                                  DWORD statusInformationLength);

    // Makes a connection object; the server is contacted by the request.
    std::unique_ptr<CHttpConnection> GetHttpConnection(const std::string& server,
                                                       int port = INTERNET_INVALID_PORT_NUMBER,
                                                       const char* userName = nullptr,
                                                       const char* password = nullptr);

    // Connects to the FTP server and logs in; throws CInternetException when
    // either fails. Empty user and password log in anonymously.
    std::unique_ptr<CFtpConnection> GetFtpConnection(const std::string& server, const char* userName = nullptr,
                                                     const char* password = nullptr,
                                                     int port = INTERNET_INVALID_PORT_NUMBER,
                                                     BOOL passive = FALSE);

    const std::string& Agent() const { return m_agent; }
    bool StatusCallbackEnabled() const { return m_statusCallback; }

private:
    std::string m_agent;
    bool m_statusCallback = false;
};
