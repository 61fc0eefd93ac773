// SPDX-License-Identifier: MIT
// The console front-end run as a program in a sandbox of its own: TEMP,
// drive C: and the package directory lie in a temporary directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/devsim.h"
#include "tests/support/drive_c.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

inline const std::string kNoAddressMessage =
    "You must fill out the Address field of the LAN Modem.  If you do not know what to enter, use the default "
    "of \"\"lanmodem\"\"";

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_dir / "temp");
        WriteFileText(m_dir / "package" / "fw512000.bin", std::string(65536, '\x11'));
        WriteFileText(m_dir / "package" / "ndxuback.txt", "read me\n");
    }

    ProcessResult Run(std::vector<std::string> args, std::map<std::string, std::string> env = {},
                      const std::string& input = {})
    {
        args.insert(args.begin(), NDXU_UPGRADE_EXE);
        return RunCommand(std::move(args), std::move(env), input);
    }

    // Runs the program through a shell `script`, which gets it and its
    // arguments as "$@".
    ProcessResult RunInShell(const std::string& script, std::vector<std::string> args,
                             std::map<std::string, std::string> env = {})
    {
        args.insert(args.begin(), {"/bin/bash", "-c", script, "bash", NDXU_UPGRADE_EXE});
        return RunCommand(std::move(args), std::move(env), {});
    }

    ProcessResult RunCommand(std::vector<std::string> args, std::map<std::string, std::string> env,
                             const std::string& input)
    {
        return RunProcess(args, Environment(std::move(env)), input, PackageDirectory());
    }

    // The program's environment: `env` over the sandbox's settings.
    std::map<std::string, std::string> Environment(std::map<std::string, std::string> env)
    {
        env.emplace("TEMP", (m_dir / "temp").string());
        env.emplace("NDXU_DRIVE_C", DriveC().string());
        env.emplace("NDXU_PASSWORD", "");
        env.emplace("NDXU_CONNECT_TIMEOUT", "5");
        env.emplace("NDXU_RECEIVE_TIMEOUT", "5");
        return env;
    }

    std::string PackageDirectory() const { return (m_dir / "package").string(); }
    std::filesystem::path DriveC() const { return TestDriveC(m_dir.path()); }

    std::vector<std::string> DeviceArgs(const DevSim& sim)
    {
        return {"--address", "127.0.0.1", "--http-port", std::to_string(sim.HttpPort()), "--ftp-port",
                std::to_string(sim.FtpPort())};
    }

    std::string Log() { return ReadTextFile(m_dir / "temp" / "ndxulog.txt"); }

    TempDir m_dir;
};
