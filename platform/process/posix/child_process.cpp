// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "platform/process/posix/process_parts.h"

extern char** environ;

namespace {

constexpr std::size_t kReadSize = 65536;

std::runtime_error SystemError(const std::string& what, int error)
{
    return std::runtime_error(what + ": " + ::strerror(error));
}

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) throw SystemError("cannot make a pipe", errno);
        read = fds[0];
        write = fds[1];
    }
    ~Pipe()
    {
        Close(read);
        Close(write);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    static void Close(int& fd)
    {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    int TakeRead() { return std::exchange(read, -1); }
};

// posix_spawn's file actions and attributes, released in any case.
class SpawnSetup {
public:
    SpawnSetup(const Pipe& in, const Pipe& out, const Pipe& err)
    {
        ::posix_spawn_file_actions_init(&m_actions);
        ::posix_spawnattr_init(&m_attributes);
        ::posix_spawn_file_actions_adddup2(&m_actions, in.read, STDIN_FILENO);
        ::posix_spawn_file_actions_adddup2(&m_actions, out.write, STDOUT_FILENO);
        ::posix_spawn_file_actions_adddup2(&m_actions, err.write, STDERR_FILENO);
        // The child starts with no signal blocked and SIGINT, SIGTERM and
        // SIGPIPE at their defaults, whatever this program did with them.
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int signal : {SIGINT, SIGTERM, SIGPIPE}) sigaddset(&defaults, signal);
        ::posix_spawnattr_setsigmask(&m_attributes, &none);
        ::posix_spawnattr_setsigdefault(&m_attributes, &defaults);
        // A process group of its own: what the terminal sends to its
        // foreground group (Ctrl-C, the hang-up when it goes away) reaches
        // this program alone, which passes on what its children should get.
        ::posix_spawnattr_setpgroup(&m_attributes, 0);
        ::posix_spawnattr_setflags(&m_attributes,
                                   POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    }
    ~SpawnSetup()
    {
        ::posix_spawn_file_actions_destroy(&m_actions);
        ::posix_spawnattr_destroy(&m_attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    const posix_spawn_file_actions_t* Actions() const { return &m_actions; }
    const posix_spawnattr_t* Attributes() const { return &m_attributes; }

private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attributes;
};

void MakeNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

ChildEnd EndOf(int status)
{
    if (WIFEXITED(status)) return {WEXITSTATUS(status), std::nullopt, {}};
    const int signal = WTERMSIG(status);
    const char* abbreviation = ::sigabbrev_np(signal);
    return {std::nullopt, signal, abbreviation ? std::string("SIG") + abbreviation : std::to_string(signal)};
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input)
    : m_impl(std::make_unique<Impl>())
{
    std::vector<std::string> texts = args;
    texts.insert(texts.begin(), program);
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);

    Pipe in, out, err;
    const SpawnSetup setup(in, out, err);
    const int failed = ::posix_spawn(&m_impl->pid, program.c_str(), setup.Actions(), setup.Attributes(),
                                     argv.data(), environ);
    if (failed != 0) throw SystemError("cannot start " + program, failed);
    Pipe::Close(in.read);
    Pipe::Close(out.write);
    Pipe::Close(err.write);
    // The input is short (it fits into the pipe at once). A child that is
    // gone already closed its end: what it printed before says why.
    [[maybe_unused]] const ssize_t written = ::write(in.write, input.data(), input.size());
    m_impl->output = out.TakeRead();
    m_impl->errors = err.TakeRead();
    MakeNonBlocking(m_impl->output);
    MakeNonBlocking(m_impl->errors);
}

ChildProcess::~ChildProcess()
{
    if (m_impl->end) return;
    ::kill(m_impl->pid, SIGKILL);
    Pipe::Close(m_impl->output);
    Pipe::Close(m_impl->errors);
    int status = 0;
    while (::waitpid(m_impl->pid, &status, 0) < 0 && errno == EINTR) {
    }
}

std::string ChildProcess::TakeOutput() { return std::exchange(m_impl->outputText, {}); }

std::string ChildProcess::TakeErrors() { return std::exchange(m_impl->errorText, {}); }

std::optional<ChildEnd> ChildProcess::End() const { return m_impl->end; }

void ChildProcess::Stop(StopRequest request)
{
    if (!m_impl->end) ::kill(m_impl->pid, SignalOf(request));
}

void ChildProcess::Kill()
{
    if (!m_impl->end) ::kill(m_impl->pid, SIGKILL);
}

void ChildProcess::Impl::ReadFrom(int& fd, std::string& sink)
{
    char buffer[kReadSize];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            sink.append(buffer, static_cast<std::size_t>(n));
            if (static_cast<std::size_t>(n) < sizeof buffer) return;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            return;
        } else {
            Pipe::Close(fd);
            return;
        }
    }
}

void ChildProcess::Impl::ReapWhenDone()
{
    if (end || output >= 0 || errors >= 0) return;
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) end = EndOf(status);
}

std::string OwnProgram()
{
    // The program's own path, as a process list should show it; the link
    // itself, which also starts it, where the path cannot be read.
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? "/proc/self/exe" : path.string();
}
