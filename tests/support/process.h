// SPDX-License-Identifier: MIT
// Programs the tests launch: one way to start them (with changes to the
// environment, the directory and the standard streams), to wait for them,
// and to stop them (on Linux SIGTERM, then SIGKILL when they do not end in
// time; on Windows at once). Unlike the program's own ChildProcess
// (platform/process), which feeds its children through pipes and watches
// them together, a launched process writes where the test points it and is
// waited for alone.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct LaunchOptions {
    // Added to (or, with an empty value, removed from) the environment.
    std::map<std::string, std::string> env;
    // The child's current directory; empty: this process's.
    std::string directory;
    // Descriptors the child takes as its standard input, output and error;
    // -1 keeps this process's.
    int in = -1;
    int out = -1;
    int err = -1;
};

class LaunchedProcess {
public:
    // Starts `argv[0]` (a path) with arguments `argv`; throws
    // std::runtime_error when it cannot be started.
    explicit LaunchedProcess(const std::vector<std::string>& argv, const LaunchOptions& options = {});
    // Stops the child when it is still running.
    ~LaunchedProcess();
    LaunchedProcess(const LaunchedProcess&) = delete;
    LaunchedProcess& operator=(const LaunchedProcess&) = delete;

    int Pid() const;
    // Whether the child has ended (it is reaped then); does not wait.
    bool Ended();
    // Waits for the end; the exit status, or -1 when it did not exit normally.
    int Wait();
    // Sends SIGTERM, then SIGKILL when the child has not ended within
    // `grace`, and reaps it (on Windows: ends it at once); the exit status as
    // Wait gives it.
    int Stop(std::chrono::milliseconds grace = std::chrono::seconds(5));

private:
    struct System;  // what the system keeps of the running child
    std::unique_ptr<System> m_system;
    int m_exitStatus = -1;
};

struct ProcessResult {
    int exitStatus = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs a program to its end, feeding `input` to its standard input and
// keeping what it prints (on Windows read as text: CR LF becomes LF);
// stopped when it takes longer than `limit`.
// `env` adds to (or, with an empty value, removes from) the environment.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
                         const std::string& input = {}, const std::string& directory = {},
                         std::chrono::seconds limit = std::chrono::seconds(120));
