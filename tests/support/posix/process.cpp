// SPDX-License-Identifier: MIT
#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr auto kReapInterval = 10ms;

// This process's environment with `changes` applied, as "NAME=value" entries.
std::vector<std::string> ChangedEnvironment(const std::map<std::string, std::string>& changes)
{
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (!changes.count(text.substr(0, text.find('=')))) entries.push_back(text);
    }
    for (const auto& [name, value] : changes)
        if (!value.empty()) entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// In the child: only calls that are safe after fork in a threaded process.
[[noreturn]] void ExecChild(char* const* argv, char* const* envp, const LaunchOptions& options)
{
    if ((options.in >= 0 && ::dup2(options.in, STDIN_FILENO) < 0) ||
        (options.out >= 0 && ::dup2(options.out, STDOUT_FILENO) < 0) ||
        (options.err >= 0 && ::dup2(options.err, STDERR_FILENO) < 0))
        ::_exit(126);
    if (!options.directory.empty() && ::chdir(options.directory.c_str()) != 0) ::_exit(126);
    ::execve(argv[0], argv, envp);
    ::_exit(127);
}

// The exit status of a wait status; -1 when the child did not exit normally.
int ExitStatusOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
        read = fds[0];
        write = fds[1];
    }
    ~Pipe()
    {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void CloseRead() { Close(read); }
    void CloseWrite() { Close(write); }
    static void Close(int& fd)
    {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
};

}  // namespace

struct LaunchedProcess::System {
    pid_t pid = -1;
};

LaunchedProcess::LaunchedProcess(const std::vector<std::string>& argv, const LaunchOptions& options)
    : m_system(std::make_unique<System>())
{
    std::vector<std::string> arguments = argv;
    std::vector<std::string> environment = ChangedEnvironment(options.env);
    const std::vector<char*> argp = Pointers(arguments);
    const std::vector<char*> envp = Pointers(environment);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("cannot start " + argv.at(0) + ": " + std::strerror(errno));
    if (pid == 0) ExecChild(argp.data(), envp.data(), options);
    m_system->pid = pid;
}

LaunchedProcess::~LaunchedProcess() { Stop(); }

int LaunchedProcess::Pid() const { return m_system->pid; }

bool LaunchedProcess::Ended()
{
    if (m_system->pid < 0) return true;
    int status = 0;
    if (::waitpid(m_system->pid, &status, WNOHANG) != m_system->pid) return false;
    m_exitStatus = ExitStatusOf(status);
    m_system->pid = -1;
    return true;
}

int LaunchedProcess::Wait()
{
    if (m_system->pid >= 0) {
        int status = 0;
        while (::waitpid(m_system->pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_exitStatus = ExitStatusOf(status);
        m_system->pid = -1;
    }
    return m_exitStatus;
}

int LaunchedProcess::Stop(std::chrono::milliseconds grace)
{
    if (Ended()) return m_exitStatus;
    ::kill(m_system->pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (std::chrono::steady_clock::now() < deadline) {
        if (Ended()) return m_exitStatus;
        std::this_thread::sleep_for(kReapInterval);
    }
    ::kill(m_system->pid, SIGKILL);
    return Wait();
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                         const std::string& input, const std::string& directory, std::chrono::seconds limit)
{
    Pipe in, out, err;
    LaunchedProcess child(argv, {env, directory, in.read, out.write, err.write});
    in.CloseRead();
    out.CloseWrite();
    err.CloseWrite();
    signal(SIGPIPE, SIG_IGN);
    // A child that reads no input closes its end early; that is no failure.
    [[maybe_unused]] const ssize_t written = input.empty() ? 0 : ::write(in.write, input.data(), input.size());
    in.CloseWrite();

    ProcessResult result;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    pollfd fds[2] = {{out.read, POLLIN, 0}, {err.read, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (::poll(fds, 2, 100) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    result.exitStatus = open > 0 ? child.Stop() : child.Wait();
    return result;
}
