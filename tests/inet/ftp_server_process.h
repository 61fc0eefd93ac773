// The test FTP server (ftp_test_server.py) run as a child process for one
// test, in a directory of the test's own.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

class FtpServerProcess {
public:
    // Starts the server serving `directory`/root with the script's `options`
    // ("--refuse-login", ...) and waits until it listens; throws
    // std::runtime_error when it does not within a few seconds.
    FtpServerProcess(const std::filesystem::path& directory, const std::vector<std::string>& options = {});
    // Stops the server.
    ~FtpServerProcess();
    FtpServerProcess(const FtpServerProcess&) = delete;
    FtpServerProcess& operator=(const FtpServerProcess&) = delete;

    int Port() const { return m_port; }
    const std::filesystem::path& Root() const { return m_root; }
    // The commands the server has received so far, in order.
    std::vector<std::string> Commands() const;

private:
    void Stop();

    std::filesystem::path m_root;
    std::filesystem::path m_log;
    pid_t m_pid = -1;
    int m_port = 0;
};

// The number of commands that begin with `verb` ("USER", "PORT", ...).
int CountVerb(const std::vector<std::string>& commands, const std::string& verb);
