// SPDX-License-Identifier: MIT
// The run log opened on its own, in a wizard's sandbox.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "log/run_log.h"
#include "platform/files/paths.h"
#include "tests/support/wizard_fixture.h"

inline constexpr char kSeparator[] = "***************************************************\n";

class RunLogTest : public WizardTest {
protected:
    std::string OpenFreshLog()
    {
        std::string path = ProgramPathOf(TempDirectory() / "entries.txt");
        EXPECT_EQ(OpenRunLog(path), 0);
        return path;
    }
    std::string Entries() { return ReadTextFile(TempDirectory() / "entries.txt"); }
};
