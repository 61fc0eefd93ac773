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

// Proxy settings of the environment the tests run in must not steer the
// loopback requests elsewhere.
const char* const kProxyVariables[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "ftp_proxy",
                                       "FTP_PROXY",  "all_proxy",  "ALL_PROXY",   "no_proxy",    "NO_PROXY"};

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
    for (const char* name : kProxyVariables) SetEnv(name, std::nullopt);
    for (const char* name : kLayerVariables) SetEnv(name, std::nullopt);
}

void InetTest::TearDown()
{
    for (const auto& [name, value] : m_savedEnv) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    m_savedEnv.clear();
    AfxSetHost(nullptr);
}

void InetTest::SetEnv(const std::string& name, const std::optional<std::string>& value)
{
    if (!m_savedEnv.contains(name)) {
        const char* old = std::getenv(name.c_str());
        m_savedEnv[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
}

TempDirectory::TempDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "inet-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
    m_path = pattern;
}

TempDirectory::~TempDirectory()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
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
