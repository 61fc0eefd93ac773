#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace {

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
        read = fds[0];
        write = fds[1];
    }
};

void CloseFd(int& fd)
{
    if (fd >= 0) ::close(fd);
    fd = -1;
}

[[noreturn]] void ExecChild(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                            const std::string& directory, Pipe& in, Pipe& out, Pipe& err)
{
    ::dup2(in.read, 0);
    ::dup2(out.write, 1);
    ::dup2(err.write, 2);
    if (!directory.empty() && ::chdir(directory.c_str()) != 0) ::_exit(126);
    for (const auto& [name, value] : env) {
        if (value.empty())
            ::unsetenv(name.c_str());
        else
            ::setenv(name.c_str(), value.c_str(), 1);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                         const std::string& input, const std::string& directory, std::chrono::seconds limit)
{
    Pipe in, out, err;
    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("cannot start " + argv.at(0));
    if (pid == 0) ExecChild(argv, env, directory, in, out, err);

    CloseFd(in.read);
    CloseFd(out.write);
    CloseFd(err.write);
    signal(SIGPIPE, SIG_IGN);
    // A child that reads no input closes its end early; that is no failure.
    [[maybe_unused]] ssize_t written = input.empty() ? 0 : ::write(in.write, input.data(), input.size());
    CloseFd(in.write);

    ProcessResult result;
    auto deadline = std::chrono::steady_clock::now() + limit;
    pollfd fds[2] = {{out.read, POLLIN, 0}, {err.read, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (::poll(fds, 2, 100) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    if (open > 0) ::kill(pid, SIGKILL);
    for (pollfd& fd : fds)
        if (fd.fd >= 0) ::close(fd.fd);

    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    return result;
}
