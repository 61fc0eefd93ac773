#include "tests/inet/ftp_server_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr auto kStartLimit = 10s;
constexpr auto kStopLimit = 5s;
constexpr auto kPollInterval = 20ms;

// Waits for `pid` to end within `limit`; true when it has.
bool Reaped(pid_t pid, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(kPollInterval);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

FtpServerProcess::FtpServerProcess(const std::filesystem::path& directory, const std::vector<std::string>& options)
    : m_root(directory / "root"), m_log(directory / "commands.log")
{
    std::filesystem::create_directories(m_root);
    const std::filesystem::path portFile = directory / "port";
    const std::filesystem::path output = directory / "server-output.txt";
    std::vector<std::string> arguments = {"/usr/bin/python3", NDXU_FTP_TEST_SERVER, "--root", m_root.string(),
                                          "--port-file", portFile.string(), "--log", m_log.string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int spawned = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start the test FTP server");

    const auto end = std::chrono::steady_clock::now() + kStartLimit;
    while (std::chrono::steady_clock::now() < end) {
        if (std::filesystem::exists(portFile)) {
            m_port = std::stoi(ReadAll(portFile));
            return;
        }
        if (Reaped(m_pid, 0ms)) {
            m_pid = -1;
            throw std::runtime_error("the test FTP server ended at start: " + ReadAll(output));
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    Stop();
    throw std::runtime_error("the test FTP server did not start in time: " + ReadAll(output));
}

FtpServerProcess::~FtpServerProcess() { Stop(); }

void FtpServerProcess::Stop()
{
    if (m_pid < 0) return;
    kill(m_pid, SIGTERM);
    if (!Reaped(m_pid, kStopLimit)) {
        kill(m_pid, SIGKILL);
        Reaped(m_pid, kStopLimit);
    }
    m_pid = -1;
}

std::vector<std::string> FtpServerProcess::Commands() const
{
    std::vector<std::string> commands;
    std::ifstream in(m_log);
    for (std::string line; std::getline(in, line);) commands.push_back(line);
    return commands;
}

int CountVerb(const std::vector<std::string>& commands, const std::string& verb)
{
    return static_cast<int>(std::count_if(commands.begin(), commands.end(), [&verb](const std::string& command) {
        return command == verb || command.starts_with(verb + " ");
    }));
}
