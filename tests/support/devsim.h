// The device simulator, started for one test on free loopback ports and
// stopped afterwards. Its transcript holds every request and FTP command it
// received.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

struct HttpRecord {
    std::string method;
    std::string path;
    std::string raw;  // every byte received on the connection
};

struct FtpRecord {
    std::string cmd;    // a command, or empty for an event
    std::string arg;
    std::string event;  // "stored", "sent", "incomplete", ...
    std::string file;
};

class DevSim {
public:
    // `options` are the simulator's own (--password, --reply, --stor-fault ...).
    explicit DevSim(std::vector<std::string> options = {});
    ~DevSim();
    DevSim(const DevSim&) = delete;
    DevSim& operator=(const DevSim&) = delete;

    int HttpPort() const { return m_httpPort; }
    int FtpPort() const { return m_ftpPort; }
    std::filesystem::path FtpRoot() const { return m_dir / "ftp-root"; }

    std::vector<HttpRecord> HttpRequests() const;
    std::vector<FtpRecord> FtpRecords() const;
    // The FTP commands received, as "CMD arg" (or "CMD" alone).
    std::vector<std::string> FtpCommands() const;

private:
    void WaitUntilReady();

    TempDir m_dir;
    pid_t m_pid = -1;
    int m_httpPort = 0;
    int m_ftpPort = 0;
};

// The directory of the project's sources.
std::filesystem::path SourceDirectory();
std::string Base64Decode(const std::string& text);
