// SPDX-License-Identifier: MIT
// An FTP connection: one control connection, logged in, with transfers in
// active mode (the PORT command) or, when asked for, passive mode (PASV), in
// binary. When status notifications are on for the session that opened the
// connection, each transfer reports its progress to the session's
// OnStatusCallback (see transfer_status.h); the session must outlive the
// connection.
#pragma once

#include <memory>
#include <string>

#include "platform/inet/inet_types.h"
#include "platform/inet/internet_exception.h"

class CInternetSession;

class CFtpConnection {
public:
    // The transfer library's side of the connection.
    struct Control;

    ~CFtpConnection();
    CFtpConnection(const CFtpConnection&) = delete;
    CFtpConnection& operator=(const CFtpConnection&) = delete;

    // Downloads `remoteFile` to `localFile` (a path of the program's form,
    // "C:\..."); nonzero on success. A failed download leaves an existing
    // local file as it was; with `failIfExists` TRUE the download fails
    // when the local file exists, also when another process makes it while
    // the bytes arrive. Nothing is sent when `localFile` is a symbolic
    // link or anything else but a regular file, or is not in a directory.
    // `context` goes with the transfer's status notifications. Throws what
    // the session's OnStatusCallback throws, the transfer stopped.
    BOOL GetFile(const std::string& remoteFile, const std::string& localFile, BOOL failIfExists = TRUE,
                 DWORD attributes = FILE_ATTRIBUTE_NORMAL, DWORD flags = FTP_TRANSFER_TYPE_BINARY,
                 DWORD_PTR context = 1);

    // Uploads `localFile`, streamed from disk, as `remoteFile`; nonzero on
    // success. Nothing is sent when `localFile` is not a regular file that
    // can be read. `context` and exceptions as GetFile.
    BOOL PutFile(const std::string& localFile, const std::string& remoteFile,
                 DWORD flags = FTP_TRANSFER_TYPE_BINARY, DWORD_PTR context = 1);

    // The platform's code for the last failed transfer (ERROR_INTERNET_TIMEOUT
    // when a time limit ended it, ...); 0 after a success or when no
    // transfer was made.
    DWORD LastTransferError() const;
    // The last line of the server's last reply to the last failed transfer
    // ("552 Insufficient storage."); empty after a success or when the
    // server said nothing.
    std::string LastResponse() const;
    // Why the last GetFile or PutFile failed, in one line of plain English;
    // empty after a success. The device's reply when it refused ("552
    // Insufficient storage."); for a data connection that never came in
    // active mode, that a firewall on this machine may be dropping it; a
    // time-out or a dropped connection said as such; for a local file,
    // "<path>: <what is wrong>".
    std::string LastFailureReason() const;

    // Says goodbye to the server (QUIT, its reply awaited a few seconds at
    // most) and closes the connection; the destructor does the same.
    void Close();

private:
    friend class CInternetSession;
    CFtpConnection(CInternetSession& session, std::unique_ptr<Control> control);
    BOOL Fail(std::string reason);

    CInternetSession& m_session;
    std::unique_ptr<Control> m_control;
    std::string m_lastFailureReason;
};
