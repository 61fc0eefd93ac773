// SPDX-License-Identifier: MIT
#include "net/device_probe.h"

#include <memory>

#include "platform/inet/ftp_connection.h"
#include "platform/inet/http_connection.h"
#include "platform/inet/internet_session.h"

bool DeviceAnswers(const std::string& address)
{
    try {
        CInternetSession session(nullptr, 1, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        std::unique_ptr<CHttpConnection> connection = session.GetHttpConnection(address);
        std::unique_ptr<CHttpFile> request = connection->OpenRequest(HTTP_VERB_GET, "/");
        request->SendRequest(nullptr, 0, nullptr, 0);
        request->Close();
        return true;
    } catch (const CInternetException&) {
        // Not answering is the answer.
        return false;
    }
}

bool FtpTakesAnonymousLogin(const std::string& address)
{
    try {
        CInternetSession session(nullptr, 1, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        std::unique_ptr<CFtpConnection> ftp =
            session.GetFtpConnection(address, "", "", INTERNET_DEFAULT_FTP_PORT, FALSE);
        ftp->Close();
        return true;
    } catch (const CInternetException&) {
        // A refused connection or login is the answer.
        return false;
    }
}
