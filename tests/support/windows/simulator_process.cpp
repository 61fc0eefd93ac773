// SPDX-License-Identifier: MIT
#include "tests/support/simulator_process.h"

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "platform/base/windows_headers.h"
#include "platform/files/windows/command_line.h"
#include "platform/files/windows/system_error_text.h"
#include "tests/support/devsim.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kPoll = 20ms;
constexpr auto kTermGrace = 5s;
constexpr auto kKillGrace = 2s;
// How long a Linux program run to its end may take (minisign takes moments).
constexpr auto kRunLimit = 60s;

// Wine starts a program that is no Windows program as a Linux process, but
// gives the caller neither a handle of it nor its standard handles. So a
// shell runs the Linux program, keeps its output in a file, its process id in
// "<output>.pid" and, once it has ended, its exit status in
// "<output>.status". Each is written under another name first and then
// renamed, so that a file that exists is whole.
constexpr char kKeeper[] =
    R"(out=$1; shift; "$@" >"$out" 2>&1 & echo $! >"$out.pid.part"; /bin/mv "$out.pid.part" "$out.pid"; )"
    R"(wait $!; echo $? >"$out.status.part"; /bin/mv "$out.status.part" "$out.status")";

void StartLinuxProgram(const std::vector<std::string>& argv)
{
    std::wstring commandLine = CommandLine(argv);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started))
        throw std::runtime_error("cannot start " + argv.at(0) + ": " + SystemErrorText(::GetLastError()));
    if (started.hProcess) ::CloseHandle(started.hProcess);
    if (started.hThread) ::CloseHandle(started.hThread);
}

std::filesystem::path WithSuffix(std::filesystem::path path, const char* suffix) { return path += suffix; }

// Whether `file` exists within `limit`.
bool WaitFor(const std::filesystem::path& file, std::chrono::steady_clock::duration limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!std::filesystem::exists(file)) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}

// Starts `argv` under the keeper, which writes its output to `output`.
void StartKept(const std::vector<std::string>& argv, const std::filesystem::path& output)
{
    std::vector<std::string> kept = {"/bin/sh", "-c", kKeeper, "sh", SimulatorPath(output)};
    kept.insert(kept.end(), argv.begin(), argv.end());
    StartLinuxProgram(kept);
}

std::string FirstWord(const std::filesystem::path& file)
{
    std::string word;
    std::ifstream(file) >> word;
    return word;
}

// Ends the kept program whose process id is in `pidFile` (SIGTERM, then
// SIGKILL), and waits for its status file.
void EndKept(const std::filesystem::path& pidFile, const std::filesystem::path& statusFile)
{
    if (!WaitFor(pidFile, kTermGrace)) return;
    const std::string pid = FirstWord(pidFile);
    if (pid.empty()) return;
    StartLinuxProgram({"/bin/kill", "-TERM", pid});
    if (WaitFor(statusFile, kTermGrace)) return;
    StartLinuxProgram({"/bin/kill", "-KILL", pid});
    WaitFor(statusFile, kKillGrace);
}

}  // namespace

struct SimulatorProcess::System {
    std::filesystem::path output;

    std::filesystem::path StatusFile() const { return WithSuffix(output, ".status"); }
    std::filesystem::path PidFile() const { return WithSuffix(output, ".pid"); }
};

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& options, const std::filesystem::path& outputFile)
    : m_system(std::make_unique<System>())
{
    m_system->output = outputFile;
    std::vector<std::string> argv = {"/usr/bin/python3",
                                     SimulatorPath(SourceDirectory() / "tools" / "devsim" / "ndxu-devsim")};
    argv.insert(argv.end(), options.begin(), options.end());
    StartKept(argv, outputFile);
}

SimulatorProcess::~SimulatorProcess() { Stop(); }

bool SimulatorProcess::Ended() { return std::filesystem::exists(m_system->StatusFile()); }

void SimulatorProcess::Stop()
{
    if (!Ended()) EndKept(m_system->PidFile(), m_system->StatusFile());
}

int RunLinuxProgram(const std::vector<std::string>& argv, const std::filesystem::path& outputFile)
{
    const std::filesystem::path pidFile = WithSuffix(outputFile, ".pid");
    const std::filesystem::path statusFile = WithSuffix(outputFile, ".status");
    std::filesystem::remove(pidFile);
    std::filesystem::remove(statusFile);
    StartKept(argv, outputFile);
    std::string status;
    if (WaitFor(statusFile, kRunLimit))
        status = FirstWord(statusFile);
    else
        EndKept(pidFile, statusFile);
    std::filesystem::remove(pidFile);
    std::filesystem::remove(statusFile);
    if (status.empty()) return -1;
    // The shell reports a program that a signal ended as 128 + the signal's
    // number; the programs run here exit with small statuses of their own.
    const int code = std::stoi(status);
    return code > 128 ? -1 : code;
}

std::string SimulatorPath(const std::filesystem::path& path)
{
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    static const auto unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixFileName) throw std::runtime_error("the device simulator runs on Linux: these tests run under Wine");
    char* unixPath = unixFileName(std::filesystem::absolute(path).c_str());
    if (!unixPath) throw std::runtime_error("no Linux path for " + path.string());
    const std::string text = unixPath;
    ::HeapFree(::GetProcessHeap(), 0, unixPath);
    return text;
}
