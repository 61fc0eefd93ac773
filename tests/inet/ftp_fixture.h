// SPDX-License-Identifier: MIT
// What the FTP tests share: the simulator in download mode, the program's
// directory on drive C: as the local side, a session that records the
// status notifications it is given, and large files made and compared in
// pieces.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/inet/ftp_connection.h"
#include "platform/inet/internet_session.h"
#include "tests/inet/inet_test_support.h"
#include "tests/support/ftp_commands.h"

inline constexpr char kProgramDirectory[] = "C:\\varn\\ndxu511\\";

// One status notification, with its transfer information when it has some.
struct StatusCall {
    DWORD_PTR context;
    DWORD status;
    InternetTransferProgress info;
    DWORD length;
};

class StatusRecordingSession : public CInternetSession {
public:
    StatusRecordingSession() : CInternetSession("test agent") {}

    void OnStatusCallback(DWORD_PTR context, DWORD status, const void* information, DWORD length) override;

    // Throws std::runtime_error from call `count` (counted from 1) on.
    void ThrowFromCall(std::size_t count) { m_throwFrom = count; }
    const std::vector<StatusCall>& Calls() const { return m_calls; }

private:
    std::vector<StatusCall> m_calls;
    std::size_t m_throwFrom = 0;
};

class FtpTest : public InetTest {
protected:
    void SetUp() override;

    // Starts the simulator in download mode with `options`.
    DevSim& StartFtpDevice(std::vector<std::string> options = {});

    std::unique_ptr<CFtpConnection> Connect(const char* user = "", const char* password = "", BOOL passive = FALSE);

    std::vector<std::string> Transcript();

    // The names in the local directory other than `keep`.
    std::vector<std::string> OtherLocalFiles(const std::string& keep) const;

    TempDir m_directory;
    std::filesystem::path m_local;  // the system's path of kProgramDirectory
    StatusRecordingSession m_session;
};

// Writes `size` bytes of a fixed binary pattern to `path` in pieces.
void WriteLargeFile(const std::filesystem::path& path, std::uint64_t size);

bool FilesEqual(const std::filesystem::path& a, const std::filesystem::path& b);
