// SPDX-License-Identifier: MIT
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/files/windows/command_line.h"
#include "platform/files/windows/inherited_handles.h"
#include "platform/files/windows/system_error_text.h"
#include "platform/files/windows/wide_text.h"
#include "platform/process/windows/process_parts.h"

namespace {

constexpr DWORD kReadSize = 65536;
// The exit code of a child ended by Kill, as a shell reports SIGKILL.
constexpr UINT kKilledExitCode = 128 + 9;

std::runtime_error SystemError(const std::string& what)
{
    return std::runtime_error(what + ": " + SystemErrorText(::GetLastError()));
}

// Closes a handle when it goes out of scope, unless it is taken.
class Handle {
public:
    Handle() = default;
    ~Handle()
    {
        if (m_handle) ::CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE* Receiver() { return &m_handle; }
    HANDLE Get() const { return m_handle; }
    HANDLE Take() { return std::exchange(m_handle, nullptr); }

private:
    HANDLE m_handle = nullptr;
};

// A pipe whose ends are both made inheritable: this process's end is then
// kept to itself (KeepToThisProcess), and the child's end reaches that child
// alone, by the handle list of its start.
struct Pipe {
    Handle read;
    Handle write;
    Pipe()
    {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        if (!::CreatePipe(read.Receiver(), write.Receiver(), &inheritable, kReadSize)) throw SystemError("cannot make a pipe");
    }
};

// Makes one handle of this process not inherited from here on.
void KeepToThisProcess(HANDLE handle) { ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0); }

// Starts are one at a time: while a child is started, the handles it
// inherits are inheritable, and no other child may take them along (the
// handle list narrows that already where the system honours it).
std::mutex g_starting;

// Reads `pipe` until its writer closes it, into `sink` of `child`.
void ReadPipe(ChildProcess::Impl* child, HANDLE pipe, std::string ChildProcess::Impl::*sink)
{
    std::vector<char> buffer(kReadSize);
    DWORD got = 0;
    while (::ReadFile(pipe, buffer.data(), kReadSize, &got, nullptr) && got > 0) {
        {
            const std::lock_guard<std::mutex> lock(child->mutex);
            (child->*sink).append(buffer.data(), got);
        }
        ::SetEvent(ActivityEvent());
    }
    ::CloseHandle(pipe);
    {
        const std::lock_guard<std::mutex> lock(child->mutex);
        --child->openPipes;
    }
    ::SetEvent(ActivityEvent());
}

}  // namespace

HANDLE ActivityEvent()
{
    static const HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return event;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input)
    : m_impl(std::make_unique<Impl>())
{
    std::vector<std::string> arguments = args;
    arguments.insert(arguments.begin(), program);
    std::wstring commandLine = CommandLine(arguments);

    Pipe in, out, err;
    KeepToThisProcess(in.write.Get());
    KeepToThisProcess(out.read.Get());
    KeepToThisProcess(err.read.Get());
    PROCESS_INFORMATION started{};
    {
        const std::lock_guard<std::mutex> lock(g_starting);
        const InheritedHandles inherited({in.read.Get(), out.write.Get(), err.write.Get()});
        STARTUPINFOEXW startup{};
        startup.StartupInfo.cb = sizeof startup;
        startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
        startup.StartupInfo.hStdInput = in.read.Get();
        startup.StartupInfo.hStdOutput = out.write.Get();
        startup.StartupInfo.hStdError = err.write.Get();
        startup.lpAttributeList = inherited.List();
        // A process group of its own: a stop request reaches it as Ctrl-Break.
        if (!::CreateProcessW(Utf16(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                              EXTENDED_STARTUPINFO_PRESENT | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr,
                              &startup.StartupInfo, &started))
            throw SystemError("cannot start " + program);
    }
    ::CloseHandle(started.hThread);
    m_impl->process = started.hProcess;
    m_impl->pid = started.dwProcessId;

    // The input is short (it fits into the pipe at once). A child that is
    // gone already closed its end: what it printed before says why.
    DWORD written = 0;
    ::WriteFile(in.write.Get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    m_impl->outputReader = std::thread(ReadPipe, m_impl.get(), out.read.Take(), &Impl::outputText);
    m_impl->errorReader = std::thread(ReadPipe, m_impl.get(), err.read.Take(), &Impl::errorText);
}

ChildProcess::~ChildProcess()
{
    if (!m_impl->end) ::TerminateProcess(m_impl->process, kKilledExitCode);
    // The readers end with the pipes, once the child and what it started
    // have closed them.
    m_impl->outputReader.join();
    m_impl->errorReader.join();
    ::CloseHandle(m_impl->process);
}

std::string ChildProcess::TakeOutput()
{
    const std::lock_guard<std::mutex> lock(m_impl->mutex);
    return std::exchange(m_impl->outputText, {});
}

std::string ChildProcess::TakeErrors()
{
    const std::lock_guard<std::mutex> lock(m_impl->mutex);
    return std::exchange(m_impl->errorText, {});
}

std::optional<ChildEnd> ChildProcess::End() const
{
    const std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->end;
}

// Windows has no signals: the child, in a process group of its own, gets
// Ctrl-Break, which the console front-end takes as SIGTERM. Where no console
// can carry it, the child is ended at once.
void ChildProcess::Stop(StopRequest)
{
    if (End()) return;
    if (!::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, m_impl->pid)) Kill();
}

void ChildProcess::Kill()
{
    if (End()) return;
    m_impl->killed = true;
    ::TerminateProcess(m_impl->process, kKilledExitCode);
}

void ChildProcess::Impl::TakeEndWhenDone()
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (end || openPipes > 0 || ::WaitForSingleObject(process, 0) != WAIT_OBJECT_0) return;
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    end = killed ? ChildEnd{std::nullopt, 9, "SIGKILL"} : ChildEnd{static_cast<int>(code), std::nullopt, {}};
}

std::string OwnProgram()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return Utf8(path.substr(0, length));
        path.resize(path.size() * 2);
    }
}
