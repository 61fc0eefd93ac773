// SPDX-License-Identifier: MIT
#include "tests/support/devsim.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr auto kStartLimit = 15s;

std::vector<nlohmann::json> ReadTranscript(const std::filesystem::path& path)
{
    std::vector<nlohmann::json> records;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) records.push_back(nlohmann::json::parse(line));
    return records;
}

std::string StringField(const nlohmann::json& record, const char* name)
{
    auto it = record.find(name);
    return it != record.end() && it->is_string() ? it->get<std::string>() : std::string{};
}

}  // namespace

std::filesystem::path SourceDirectory() { return NDXU_SOURCE_DIR; }

std::string Base64Decode(const std::string& text)
{
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned buffer = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=') break;
        std::size_t value = alphabet.find(c);
        if (value == std::string::npos) throw std::runtime_error("not base64");
        buffer = (buffer << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((buffer >> bits) & 0xFF));
        }
    }
    return out;
}

std::string Base64Encode(const std::string& bytes)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned group = static_cast<unsigned char>(bytes[i]) << 16 |
                               static_cast<unsigned char>(bytes[i + 1]) << 8 | static_cast<unsigned char>(bytes[i + 2]);
        for (int shift : {18, 12, 6, 0}) out.push_back(alphabet[(group >> shift) & 0x3F]);
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned group = static_cast<unsigned>(static_cast<unsigned char>(bytes[i])) << 16;
        if (rest == 2) group |= static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        out.push_back(alphabet[(group >> 18) & 0x3F]);
        out.push_back(alphabet[(group >> 12) & 0x3F]);
        out.push_back(rest == 2 ? alphabet[(group >> 6) & 0x3F] : '=');
        out.push_back('=');
    }
    return out;
}

std::string RawKind(const std::string& bytes, std::uint64_t filler, RawEnd end)
{
    const char* then = end == RawEnd::Close ? "close" : end == RawEnd::Reset ? "reset" : "stall";
    return std::string("raw:") + then + ":" + std::to_string(filler) + ":" + Base64Encode(bytes);
}

std::string RawReply(const std::string& page, const std::string& bytes, std::uint64_t filler, RawEnd end)
{
    return page + "=" + RawKind(bytes, filler, end);
}

char FillerByte(std::uint64_t index) { return static_cast<char>('a' + index % 26); }

std::vector<std::string> WithPortsMasked(std::vector<std::string> commands)
{
    for (std::string& command : commands) {
        if (!command.starts_with("PORT ")) continue;
        // The fourth comma ends the address; the two numbers after it are the port.
        std::size_t comma = 0;
        for (int count = 0; count < 4 && comma != std::string::npos; ++count) comma = command.find(',', comma + 1);
        if (comma != std::string::npos) command = command.substr(0, comma + 1) + kMaskedPort;
    }
    return commands;
}

DevSim::DevSim(std::vector<std::string> options)
{
    std::vector<std::string> args = {"--http-port", "0", "--ftp-port", "0",
                                     "--port-file", SimulatorPath(m_dir / "ports.json"),
                                     "--transcript", SimulatorPath(m_dir / "transcript.jsonl"),
                                     "--ftp-root", SimulatorPath(FtpRoot()),
                                     "--lifetime", "300"};
    args.insert(args.end(), options.begin(), options.end());
    m_process = std::make_unique<SimulatorProcess>(args, m_dir / "output.txt");
    WaitUntilReady();
}

void DevSim::WaitUntilReady()
{
    auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    std::filesystem::path portFile = m_dir / "ports.json";
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(portFile)) {
            nlohmann::json ports = nlohmann::json::parse(std::ifstream(portFile));
            m_httpPort = ports.at("http_port").get<int>();
            m_ftpPort = ports.at("ftp_port").get<int>();
            return;
        }
        if (m_process->Ended())
            throw std::runtime_error("the device simulator ended at start: " + ReadFileText(m_dir / "output.txt"));
        std::this_thread::sleep_for(20ms);
    }
    m_process->Stop();
    throw std::runtime_error("the device simulator did not become ready: " + ReadFileText(m_dir / "output.txt"));
}

DevSim::~DevSim() = default;

std::vector<HttpRecord> DevSim::HttpRequests() const
{
    std::vector<HttpRecord> requests;
    for (const nlohmann::json& record : ReadTranscript(m_dir / "transcript.jsonl")) {
        if (StringField(record, "proto") != "http") continue;
        requests.push_back({StringField(record, "method"), StringField(record, "path"),
                            Base64Decode(StringField(record, "raw_b64"))});
    }
    return requests;
}

std::vector<FtpRecord> DevSim::FtpRecords() const
{
    std::vector<FtpRecord> records;
    for (const nlohmann::json& record : ReadTranscript(m_dir / "transcript.jsonl")) {
        if (StringField(record, "proto") != "ftp") continue;
        records.push_back({StringField(record, "cmd"), StringField(record, "arg"), StringField(record, "event"),
                           StringField(record, "file")});
    }
    return records;
}

std::vector<std::string> DevSim::FtpCommands() const
{
    std::vector<std::string> commands;
    for (const FtpRecord& record : FtpRecords()) {
        if (record.cmd.empty()) continue;
        commands.push_back(record.arg.empty() ? record.cmd : record.cmd + " " + record.arg);
    }
    return commands;
}
