// SPDX-License-Identifier: MIT
// The sandbox every wizard test runs in: TEMP (the run log's directory),
// drive C: and the package directory (the current directory, holding
// fw512000.bin and ndxuback.txt) all lie in a temporary directory, and no
// proxy setting reaches the program.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/support/drive_c.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

class WizardSandboxTest : public ::testing::Test {
protected:
    void SetUp() override;

    std::filesystem::path TempDirectory() const { return m_dir / "temp"; }
    std::filesystem::path DriveC() const { return TestDriveC(m_dir.path()); }
    std::filesystem::path StagingDirectory() const { return DriveC() / "varn" / "ndxu511"; }
    std::filesystem::path PackageDirectory() const { return m_dir / "package"; }

    TempDir m_dir;
    ScopedEnv m_env;
    std::unique_ptr<ScopedCurrentDirectory> m_cwd;
};
