// SPDX-License-Identifier: MIT
#include "tests/inet/inet_test_support.h"

#ifdef _WIN32
#include "platform/base/windows_headers.h"
// After <windows.h>.
#include <psapi.h>
#endif

#include <fstream>
#include <stdexcept>

#include "platform/inet/paint_pacer.h"
#include "platform/ui/host.h"
#include "platform/ui/resources.h"
#include "res/program_resources.h"

namespace {

const char* const kLayerVariables[] = {"NDXU_HTTP_PORT", "NDXU_FTP_PORT", "NDXU_CONNECT_TIMEOUT",
                                       "NDXU_RECEIVE_TIMEOUT", "NDXU_EXCHANGE_TIMEOUT", "NDXU_FTP_PASSIVE"};

#ifdef _WIN32
PROCESS_MEMORY_COUNTERS MemoryCounters()
{
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        throw std::runtime_error("cannot read this process's memory figures");
    return counters;
}
#else
long StatusFieldKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
    throw std::runtime_error("no " + field + " in /proc/self/status");
}
#endif

}  // namespace

void InetTest::SetUp()
{
    AfxSetResourceModule(&ProgramResources());
    AfxSetHost(&m_host);
    SetTransferPaintCallback([this] { ++m_paints; });
    UnsetProxySettings(m_env);
    for (const char* name : kLayerVariables) SetEnv(name, std::nullopt);
}

void InetTest::TearDown()
{
    SetTransferPaintCallback(nullptr);
    AfxSetHost(nullptr);
}

DevSim& InetTest::StartDevice(std::vector<std::string> options)
{
    m_device = std::make_unique<DevSim>(std::move(options));
    return *m_device;
}

void InetTest::SetEnv(const std::map<std::string, std::string>& values)
{
    for (const auto& [name, value] : values) SetEnv(name, value);
}

void InetTest::SetEnv(const std::string& name, const std::optional<std::string>& value)
{
    if (value)
        m_env.Set(name, *value);
    else
        m_env.Unset(name);
}

#ifdef _WIN32

long CurrentMemoryKiB() { return static_cast<long>(MemoryCounters().WorkingSetSize / 1024); }

long PeakMemoryKiB() { return static_cast<long>(MemoryCounters().PeakWorkingSetSize / 1024); }

void ResetPeakMemory() {}

#else

long CurrentMemoryKiB() { return StatusFieldKiB("VmRSS"); }

long PeakMemoryKiB() { return StatusFieldKiB("VmHWM"); }

void ResetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    if (!clear) throw std::runtime_error("cannot reset the peak memory figure");
}

#endif

int ClosedPort() { return LoopbackSocket::Bound().Port(); }

DWORD CodeThrownBy(const std::function<void()>& call, std::string* text, std::string* detail)
{
    try {
        call();
    } catch (const CInternetException& e) {
        if (text) *text = e.GetErrorMessage();
        if (detail) *detail = e.Detail();
        return e.m_dwError;
    }
    return 0;
}

std::chrono::milliseconds TimeOf(const std::function<void()>& call)
{
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}
