// SPDX-License-Identifier: MIT
// How the wizard finds its package before its window appears: the directory
// named on the command line, the current directory when it holds the
// package, else the one chosen in the desktop's folder chooser (answered
// here through the chooser's test hook).
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/package_choice.h"
#include "platform/qt/folder_chooser.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct StartCase {
    const char* name;
    const char* startIn;                 // the current directory at the start
    std::optional<std::string> argument;  // PACKAGE_DIR on the command line
    std::optional<std::string> answer;    // what the user picks; none: cancel
    bool asked;                           // whether the chooser came up
    std::optional<std::string> entered;   // the directory entered; none: the wizard ends
    std::string error;                    // part of the message it ends with
};

std::ostream& operator<<(std::ostream& out, const StartCase& c) { return out << c.name; }

class PackageChoiceTest : public ::testing::TestWithParam<StartCase> {
protected:
    void SetUp() override
    {
        fs::create_directories(m_dir / "package");
        fs::create_directories(m_dir / "empty");
        WriteFileText(m_dir / "package" / "fw512000.bin", std::string(64, '\x5a'));
        SetFolderChooserAnswerer([this](const std::string& caption, const fs::path& start) {
            m_asked.push_back({caption, start});
            const std::optional<std::string>& answer = GetParam().answer;
            return answer ? std::optional<fs::path>(m_dir / *answer) : std::nullopt;
        });
    }
    void TearDown() override { SetFolderChooserAnswerer(nullptr); }

    struct Request {
        std::string caption;
        fs::path start;
    };
    TempDir m_dir;
    std::vector<Request> m_asked;
};

TEST_P(PackageChoiceTest, EntersThePackageOrEndsWithAMessage)
{
    const StartCase& c = GetParam();
    ScopedCurrentDirectory cwd((m_dir / c.startIn).string());
    std::optional<std::string> argument;
    if (c.argument) argument = (m_dir / *c.argument).string();

    const PackageChoice choice = EnterPackageDirectory(argument, ChooseFolder);

    ASSERT_EQ(m_asked.size(), c.asked ? 1u : 0u);
    if (c.asked) {
        EXPECT_NE(m_asked[0].caption.find("package directory (holding fw512000.bin)"), std::string::npos)
            << m_asked[0].caption;
        EXPECT_EQ(fs::canonical(m_asked[0].start), fs::canonical(m_dir / c.startIn));
    }
    if (c.entered) {
        ASSERT_TRUE(choice.directory) << choice.error;
        EXPECT_EQ(*choice.directory, fs::canonical(m_dir / *c.entered));
        EXPECT_EQ(fs::current_path(), fs::canonical(m_dir / *c.entered));
        EXPECT_EQ(choice.error, "");
    } else {
        EXPECT_FALSE(choice.directory);
        EXPECT_NE(choice.error.find(c.error), std::string::npos) << choice.error;
        EXPECT_EQ(fs::current_path(), fs::canonical(m_dir / c.startIn));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Starts, PackageChoiceTest,
    ::testing::Values(
        StartCase{"NoPackageHereAsksAndEntersTheChoice", "empty", std::nullopt, "package", true, "package", ""},
        StartCase{"NoPackageHereAndCancelledEnds", "empty", std::nullopt, std::nullopt, true, std::nullopt,
                  "no package directory was chosen"},
        StartCase{"ChosenDirectoryMissingEnds", "empty", std::nullopt, "gone", true, std::nullopt,
                  "does not exist"},
        StartCase{"PackageHereStaysWithoutAsking", "package", std::nullopt, std::nullopt, false, "package", ""},
        StartCase{"ArgumentIsEnteredWithoutAsking", "empty", "package", std::nullopt, false, "package", ""},
        StartCase{"ArgumentWinsOverAPackageHere", "package", "empty", std::nullopt, false, "empty", ""},
        StartCase{"MissingArgumentEnds", "package", "gone", std::nullopt, false, std::nullopt, "does not exist"}),
    [](const ::testing::TestParamInfo<StartCase>& param) { return std::string(param.param.name); });

}  // namespace
