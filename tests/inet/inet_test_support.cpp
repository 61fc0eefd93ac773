#include "tests/inet/inet_test_support.h"

#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "platform/ui/host.h"
#include "platform/ui/resources.h"
#include "res/program_resources.h"

namespace {

const char* const kLayerVariables[] = {"NDXU_HTTP_PORT", "NDXU_FTP_PORT", "NDXU_CONNECT_TIMEOUT",
                                       "NDXU_RECEIVE_TIMEOUT"};

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
    UnsetProxySettings(m_env);
    for (const char* name : kLayerVariables) SetEnv(name, std::nullopt);
}

void InetTest::TearDown() { AfxSetHost(nullptr); }

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

int ClosedPort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    if (probe < 0) throw std::runtime_error("cannot make a socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = bind(probe, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                       getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    close(probe);
    if (!bound) throw std::runtime_error("cannot find a free loopback port");
    return ntohs(address.sin_port);
}
