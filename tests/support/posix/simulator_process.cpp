// SPDX-License-Identifier: MIT
#include "tests/support/simulator_process.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/devsim.h"
#include "tests/support/process.h"

namespace {

// A descriptor of `path` opened for writing, closed with the object.
class OutputFile {
public:
    explicit OutputFile(const std::filesystem::path& path)
        : m_fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644))
    {
        if (m_fd < 0) throw std::runtime_error("cannot write " + path.string());
    }
    ~OutputFile() { ::close(m_fd); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

struct SimulatorProcess::System {
    std::unique_ptr<LaunchedProcess> child;
};

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& options, const std::filesystem::path& outputFile)
    : m_system(std::make_unique<System>())
{
    std::vector<std::string> argv = {"/usr/bin/python3", (SourceDirectory() / "tools" / "devsim" / "ndxu-devsim")};
    argv.insert(argv.end(), options.begin(), options.end());
    const OutputFile output(outputFile);
    LaunchOptions child;
    child.out = output.Fd();
    child.err = output.Fd();
    m_system->child = std::make_unique<LaunchedProcess>(argv, child);
}

SimulatorProcess::~SimulatorProcess() = default;

bool SimulatorProcess::Ended() { return m_system->child->Ended(); }

void SimulatorProcess::Stop() { m_system->child->Stop(); }

std::string SimulatorPath(const std::filesystem::path& path) { return path.string(); }

int RunLinuxProgram(const std::vector<std::string>& argv, const std::filesystem::path& outputFile)
{
    const OutputFile output(outputFile);
    LaunchOptions options;
    options.out = output.Fd();
    options.err = output.Fd();
    LaunchedProcess child(argv, options);
    return child.Wait();
}
