// SPDX-License-Identifier: MIT
// The device simulator, started for one test on free loopback ports and
// stopped afterwards. Its transcript holds every request and FTP command it
// received.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/simulator_process.h"
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
    // Throws std::runtime_error, with what the simulator printed, when it
    // does not become ready within a few seconds.
    explicit DevSim(std::vector<std::string> options = {});
    // Stops the simulator (SIGTERM, then SIGKILL).
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
    std::unique_ptr<SimulatorProcess> m_process;  // after the directory: stopped before it is removed
    int m_httpPort = 0;
    int m_ftpPort = 0;
};

// The directory of the project's sources.
std::filesystem::path SourceDirectory();
std::string Base64Decode(const std::string& text);
std::string Base64Encode(const std::string& bytes);

// How a raw reply ends once its bytes are sent.
enum class RawEnd { Close, Reset, Stall };

// The simulator's reply kind that answers exactly `bytes`, then `filler`
// bytes of FillerByte, then ends as `end` says.
std::string RawKind(const std::string& bytes, std::uint64_t filler = 0, RawEnd end = RawEnd::Close);
// The same as the value of option --reply for `page` ("stat1", "enter", ...).
std::string RawReply(const std::string& page, const std::string& bytes, std::uint64_t filler = 0,
                     RawEnd end = RawEnd::Close);

// Byte `index` of the simulator's filler: the alphabet, over and over.
char FillerByte(std::uint64_t index);

// FTP commands with the port of each "PORT h1,h2,h3,h4,p1,p2" replaced by
// kMaskedPort: the client's address stays, the port the system chose goes.
inline constexpr char kMaskedPort[] = "<port>";
std::vector<std::string> WithPortsMasked(std::vector<std::string> commands);
