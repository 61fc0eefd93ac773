#include "tests/support/devsim.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr auto kStartLimit = 15s;
constexpr auto kStopLimit = 5s;

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

bool Exited(pid_t pid)
{
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == pid;
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

DevSim::DevSim(std::vector<std::string> options)
{
    std::vector<std::string> args = {"/usr/bin/python3",
                                     (SourceDirectory() / "tools" / "devsim" / "ndxu-devsim").string(),
                                     "--http-port", "0", "--ftp-port", "0",
                                     "--port-file", (m_dir / "ports.json").string(),
                                     "--transcript", (m_dir / "transcript.jsonl").string(),
                                     "--ftp-root", FtpRoot().string(),
                                     "--lifetime", "300"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    m_pid = ::fork();
    if (m_pid < 0) throw std::runtime_error("cannot start the device simulator");
    if (m_pid == 0) {
        int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
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
        if (Exited(m_pid)) {
            m_pid = -1;
            throw std::runtime_error("the device simulator ended at start");
        }
        std::this_thread::sleep_for(20ms);
    }
    throw std::runtime_error("the device simulator did not become ready");
}

DevSim::~DevSim()
{
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + kStopLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (Exited(m_pid)) return;
        std::this_thread::sleep_for(10ms);
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
}

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
