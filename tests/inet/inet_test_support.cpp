// SPDX-License-Identifier: MIT
#include "tests/inet/inet_test_support.h"

#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "platform/inet/paint_pacer.h"
#include "platform/ui/host.h"
#include "platform/ui/resources.h"
#include "res/program_resources.h"

namespace {

const char* const kLayerVariables[] = {"NDXU_HTTP_PORT", "NDXU_FTP_PORT", "NDXU_CONNECT_TIMEOUT",
                                       "NDXU_RECEIVE_TIMEOUT", "NDXU_EXCHANGE_TIMEOUT", "NDXU_FTP_PASSIVE"};

long StatusFieldKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
    throw std::runtime_error("no " + field + " in /proc/self/status");
}

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

long CurrentMemoryKiB() { return StatusFieldKiB("VmRSS"); }

long PeakMemoryKiB() { return StatusFieldKiB("VmHWM"); }

void ResetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    if (!clear) throw std::runtime_error("cannot reset the peak memory figure");
}

namespace {

// A socket bound to a free loopback port; listening with `backlog` when
// that is not negative.
int BoundSocket(int backlog, int& port)
{
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) throw std::runtime_error("cannot make a socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = bind(probe, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                       (backlog < 0 || listen(probe, backlog) == 0) &&
                       getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (!bound) {
        close(probe);
        throw std::runtime_error("cannot take a free loopback port");
    }
    port = ntohs(address.sin_port);
    return probe;
}

}  // namespace

int ClosedPort()
{
    int port = 0;
    close(BoundSocket(-1, port));
    return port;
}

QuietListener::QuietListener() { m_socket = BoundSocket(8, m_port); }

QuietListener::~QuietListener() { close(m_socket); }

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
