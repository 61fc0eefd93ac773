// SPDX-License-Identifier: MIT
#include "tests/support/wizard_sandbox.h"

#include <string>

void WizardSandboxTest::SetUp()
{
    std::filesystem::create_directories(TempDirectory());
    std::filesystem::create_directories(PackageDirectory());
    WriteFileText(PackageDirectory() / "fw512000.bin", std::string(4096, '\x5a'));
    WriteFileText(PackageDirectory() / "ndxuback.txt", "Back up your profile before you upgrade.\n");
    UnsetProxySettings(m_env);
    m_env.Set("TEMP", TempDirectory().string());
    m_env.Set("NDXU_DRIVE_C", DriveC().string());
    m_cwd = std::make_unique<ScopedCurrentDirectory>(PackageDirectory().string());
}
