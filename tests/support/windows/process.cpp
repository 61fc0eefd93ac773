// SPDX-License-Identifier: MIT
#include "tests/support/process.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cwctype>
#include <stdexcept>
#include <thread>

#include "platform/base/windows_headers.h"
#include "platform/files/windows/command_line.h"
#include "platform/files/windows/inherited_handles.h"
#include "platform/files/windows/system_error_text.h"
#include "platform/files/windows/wide_text.h"

namespace {

// The exit code of a process ended by Stop: no normal exit.
constexpr UINT kStoppedExitCode = 255;

// Closes a handle when it goes out of scope.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_handle; }
    void Reset(HANDLE handle)
    {
        Close();
        m_handle = handle;
    }
    void Close()
    {
        if (m_handle && m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
        m_handle = nullptr;
    }

private:
    HANDLE m_handle = nullptr;
};

std::wstring Upper(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
    return text;
}

// The name of an environment entry "NAME=value"; the entries of the drives'
// current directories ("=C:=C:\...") begin with their "=".
std::wstring EntryName(const std::wstring& entry) { return entry.substr(0, entry.find(L'=', 1)); }

// This process's environment with `changes` applied, as the block that
// CreateProcess takes: entries sorted by name, case-insensitively, each ended
// by a zero, and a zero after the last.
std::wstring EnvironmentBlock(const std::map<std::string, std::string>& changes)
{
    std::vector<std::wstring> changed;
    for (const auto& [name, value] : changes) changed.push_back(Upper(Utf16(name)));
    std::vector<std::wstring> entries;
    wchar_t* strings = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry; entry += std::wcslen(entry) + 1) {
        const std::wstring text = entry;
        if (std::find(changed.begin(), changed.end(), Upper(EntryName(text))) == changed.end())
            entries.push_back(text);
    }
    ::FreeEnvironmentStringsW(strings);
    for (const auto& [name, value] : changes)
        if (!value.empty()) entries.push_back(Utf16(name + "=" + value));
    std::sort(entries.begin(), entries.end(),
              [](const std::wstring& a, const std::wstring& b) { return Upper(EntryName(a)) < Upper(EntryName(b)); });
    std::wstring block;
    for (const std::wstring& entry : entries) block += entry + L'\0';
    return block + L'\0';
}

// The handle behind descriptor `fd`, or this process's standard handle.
HANDLE StandardHandle(int fd, DWORD which)
{
    return fd >= 0 ? reinterpret_cast<HANDLE>(::_get_osfhandle(fd)) : ::GetStdHandle(which);
}

// A copy of `handle` that a child may inherit.
HANDLE InheritableCopy(HANDLE handle)
{
    HANDLE copy = nullptr;
    if (!handle || handle == INVALID_HANDLE_VALUE ||
        !::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, TRUE,
                           DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

// A pipe of C runtime descriptors; the child's end is inherited through an
// inheritable copy when it is started, the pipe's own ends never.
struct Pipe {
    int read = -1;
    int write = -1;
    Pipe()
    {
        int fds[2];
        if (::_pipe(fds, 65536, _O_BINARY | _O_NOINHERIT) != 0) throw std::runtime_error("cannot make a pipe");
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
        if (fd >= 0) ::_close(fd);
        fd = -1;
    }
};

// Text as Windows programs write it, CR LF ending a line, with LF alone.
std::string WithUnixLineEnds(const std::string& text)
{
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
    return lines;
}

// Reads everything from `fd` until the writer closes it.
void ReadAll(int fd, std::string& sink)
{
    char buffer[4096];
    for (int got; (got = ::_read(fd, buffer, sizeof buffer)) > 0;) sink.append(buffer, static_cast<std::size_t>(got));
}

}  // namespace

struct LaunchedProcess::System {
    Handle process;
    DWORD pid = 0;
};

LaunchedProcess::LaunchedProcess(const std::vector<std::string>& argv, const LaunchOptions& options)
    : m_system(std::make_unique<System>())
{
    const Handle in(InheritableCopy(StandardHandle(options.in, STD_INPUT_HANDLE)));
    const Handle out(InheritableCopy(StandardHandle(options.out, STD_OUTPUT_HANDLE)));
    const Handle err(InheritableCopy(StandardHandle(options.err, STD_ERROR_HANDLE)));
    const InheritedHandles inherited({in.Get(), out.Get(), err.Get()});

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = in.Get();
    startup.StartupInfo.hStdOutput = out.Get();
    startup.StartupInfo.hStdError = err.Get();
    startup.lpAttributeList = inherited.List();

    std::wstring commandLine = CommandLine(argv);
    std::wstring environment = EnvironmentBlock(options.env);
    const std::wstring directory = Utf16(options.directory);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(Utf16(argv.at(0)).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_UNICODE_ENVIRONMENT | EXTENDED_STARTUPINFO_PRESENT, environment.data(),
                          directory.empty() ? nullptr : directory.c_str(), &startup.StartupInfo, &started))
        throw std::runtime_error("cannot start " + argv.at(0) + ": " + SystemErrorText(::GetLastError()));
    ::CloseHandle(started.hThread);
    m_system->pid = started.dwProcessId;
    m_system->process.Reset(started.hProcess);
}

LaunchedProcess::~LaunchedProcess() { Stop(); }

int LaunchedProcess::Pid() const { return static_cast<int>(m_system->pid); }

bool LaunchedProcess::Ended()
{
    if (!m_system->process.Get()) return true;
    if (::WaitForSingleObject(m_system->process.Get(), 0) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    ::GetExitCodeProcess(m_system->process.Get(), &code);
    m_exitStatus = code == kStoppedExitCode ? -1 : static_cast<int>(code);
    m_system->process.Close();
    return true;
}

int LaunchedProcess::Wait()
{
    if (m_system->process.Get()) ::WaitForSingleObject(m_system->process.Get(), INFINITE);
    Ended();
    return m_exitStatus;
}

int LaunchedProcess::Stop(std::chrono::milliseconds)
{
    if (Ended()) return m_exitStatus;
    ::TerminateProcess(m_system->process.Get(), kStoppedExitCode);
    return Wait();
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                         const std::string& input, const std::string& directory, std::chrono::seconds limit)
{
    using namespace std::chrono_literals;
    Pipe in, out, err;
    LaunchedProcess child(argv, {env, directory, in.read, out.write, err.write});
    in.CloseRead();
    out.CloseWrite();
    err.CloseWrite();

    ProcessResult result;
    // A child that reads no input closes its end early; that is no failure.
    std::thread writer([&] {
        if (!input.empty()) ::_write(in.write, input.data(), static_cast<unsigned>(input.size()));
        in.CloseWrite();
    });
    std::thread outReader([&] { ReadAll(out.read, result.out); });
    std::thread errReader([&] { ReadAll(err.read, result.err); });
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!child.Ended() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(10ms);
    result.exitStatus = child.Stop();
    writer.join();
    outReader.join();
    errReader.join();
    result.out = WithUnixLineEnds(result.out);
    result.err = WithUnixLineEnds(result.err);
    return result;
}
