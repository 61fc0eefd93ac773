// SPDX-License-Identifier: MIT
// The device simulator's process, and the other Linux programs the tests run: tools/devsim/ndxu-devsim run by Debian's
// Python, its standard output and error kept in a file. The tests of the
// Windows build run under Wine, which starts the Linux simulator too.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class SimulatorProcess {
public:
    // Starts the simulator with `options`; throws std::runtime_error when it
    // cannot be started.
    SimulatorProcess(const std::vector<std::string>& options, const std::filesystem::path& outputFile);
    // Stops it when it is still running.
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Whether it has ended; does not wait.
    bool Ended();
    // Ends it (SIGTERM, then SIGKILL when it does not end in time).
    void Stop();

private:
    struct System;  // what the system keeps of the running simulator
    std::unique_ptr<System> m_system;
};

// Runs a Linux program (`argv[0]` a path) to its end, also from under Wine,
// its standard output and error kept in `outputFile`; its exit status, -1
// when it did not exit normally.
int RunLinuxProgram(const std::vector<std::string>& argv, const std::filesystem::path& outputFile);

// How the simulator names `path` of this process: the path itself, or under
// Wine the Linux path behind a Windows path.
std::string SimulatorPath(const std::filesystem::path& path);
