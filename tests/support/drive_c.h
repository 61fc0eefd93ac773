// SPDX-License-Identifier: MIT
// Drive C: of the program under test, where its staging directory
// C:\varn\ndxu511 lies.
#pragma once

#include <filesystem>
#include <string>

// Drive C: for a test whose own directory is `testDirectory`: on Linux
// `testDirectory`/drive_c, which NDXU_DRIVE_C names for the program; on
// Windows the system's drive C: itself (the tests of the Windows build run
// one at a time, and their launcher clears it before each).
std::filesystem::path TestDriveC(const std::filesystem::path& testDirectory);

// The name of the history directory (and fleet run log) of the device at
// `host` whose web and FTP servers listen on ports other than 80 and 21, as
// every simulated device's do.
inline std::string DeviceHistoryName(const std::string& host, int httpPort, int ftpPort)
{
    return host + "+web" + std::to_string(httpPort) + "+ftp" + std::to_string(ftpPort);
}

// Whether a file of a device's history is a profile backup (and not its
// lock or its journal).
inline bool IsProfileBackup(const std::filesystem::path& path)
{
    return path.filename().string().starts_with("profback-");
}
