// SPDX-License-Identifier: MIT
// The rules the run applies to what it reads before it flashes: the firmware
// version on a status page, and the package's checksum manifest.
#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "tests/support/temp_dir.h"
#include "upgrade/firmware_version.h"
#include "platform/files/file_digest.h"
#include "upgrade/package_manifest.h"
#include "upgrade/package_version.h"

namespace {

struct VersionCase {
    const char* page;
    bool marked;
    const char* version;
    std::optional<std::string> shown;  // the firmware's version, whatever its number
};

TEST(FirmwareVersionTest, TheMarkCountsOnlyWhereItBeginsANumber)
{
    const VersionCase cases[] = {
        {"Firmware Version: 5.0.3", true, "5.0.3", "5.0.3"},
        {"Firmware Version: 4.5.1", false, "unknown", "4.5.1"},
        {"Uptime 15.0 days", false, "unknown", std::nullopt},
        {"Built 2015.3.7", false, "unknown", std::nullopt},
        {"Bootloader 4.5.1, Uptime 15.0 days, Built 2015.3.7<br>Firmware Version: 5.1.2", true, "5.1.2", "5.1.2"},
        {"Bootloader 4.5.1<br>Firmware Version: 4.2.7 (build 12)", false, "unknown", "4.2.7"},
        {"Firmware Version: 4 of 12.", false, "unknown", std::nullopt},
        {"Firmware Version: unknown", false, "unknown", std::nullopt},
        {"v5.2 and later", true, "5.2", std::nullopt},
        {"Version 5.", true, "unknown", std::nullopt},
        {"5.0.3", true, "5.0.3", std::nullopt},
        {"5.0.3.", true, "5.0.3", std::nullopt},
        {"1.5.0 or 5..1", true, "unknown", std::nullopt},
        {"", false, "unknown", std::nullopt},
    };
    for (const VersionCase& c : cases) {
        EXPECT_EQ(HasVersionMark(c.page, "5."), c.marked) << c.page;
        EXPECT_EQ(FirmwareVersionOf(c.page, "5."), c.version) << c.page;
        EXPECT_EQ(ShownFirmwareVersion(c.page), c.shown) << c.page;
    }
}

struct OrderCase {
    const char* a;
    const char* b;
    std::optional<int> order;
};

TEST(PackageVersionTest, VersionsCompareAsNumbersComponentByComponent)
{
    const OrderCase cases[] = {
        {"5.0.3", "5.1.2", -1}, {"5.1.2", "5.1.2", 0},   {"5.10.0", "5.9.9", 1}, {"5.1", "5.1.0", 0},
        {"5.1.2.1", "5.1.2", 1}, {"05.1.2", "5.1.2", 0}, {"unknown", "5.1.2", std::nullopt},
        {"5..1", "5.1", std::nullopt}, {"5.1.", "5.1", std::nullopt}, {"", "5.1", std::nullopt},
        {"1234567890.1", "5.1", std::nullopt},
    };
    for (const OrderCase& c : cases) EXPECT_EQ(CompareVersions(c.a, c.b), c.order) << c.a << " vs " << c.b;
}

TEST(PackageVersionTest, TheTrustedCommentNamesTheVersionElseTheProgramsTextsDo)
{
    const std::pair<const char*, const char*> cases[] = {
        {"version=5.2.0 released 2026-12-01", "5.2.0"},
        {"released 2026-12-01\tversion=5.3", "5.3"},
        {"timestamp:1765000000\tfile:SHA256SUMS", "5.1.2"},
        {"version=latest version=5.4.1", "5.4.1"},
        {"subversion=5.9 version=", "5.1.2"},
        {"", "5.1.2"},
    };
    for (const auto& [comment, version] : cases) EXPECT_EQ(PackageVersionOf(comment).version, version) << comment;
}

// sha256("firmware image\n")
constexpr char kImageDigest[] = "c39ec4dbbcf8c1898f0ed7bb51117f5e71ae4531cabe86156e7d7f2a01c394e8";
constexpr char kImageDigestUpper[] = "C39EC4DBBCF8C1898F0ED7BB51117F5E71AE4531CABE86156E7D7F2A01C394E8";

struct ManifestCase {
    const char* name;
    std::string manifest;  // empty: no manifest
    ManifestVerdict verdict;
};

TEST(PackageManifestTest, TheImageMustMatchItsLine)
{
    TempDir dir;
    WriteFileText(dir / "fw512000.bin", "firmware image\n");
    const std::string other(64, 'a');
    const ManifestCase cases[] = {
        {"no manifest", "", ManifestVerdict::NoManifest},
        {"matching line", std::string(kImageDigest) + "  fw512000.bin\n", ManifestVerdict::Matches},
        {"binary-mode line, upper case", other + "  readme\n" + kImageDigestUpper + " *fw512000.bin\n",
         ManifestVerdict::Matches},
        {"mismatching line", other + "  fw512000.bin\n", ManifestVerdict::Mismatch},
        {"no line for the image", std::string(kImageDigest) + "  prod.bin\n", ManifestVerdict::NoLine},
        {"malformed line", "not a manifest\n", ManifestVerdict::Unreadable},
    };
    for (const ManifestCase& c : cases) {
        std::filesystem::remove(dir / "SHA256SUMS");
        if (!c.manifest.empty()) WriteFileText(dir / "SHA256SUMS", c.manifest);
        const std::string manifestPath = (dir / "SHA256SUMS").string();
        const std::string imagePath = (dir / "fw512000.bin").string();
        const ManifestLine line =
            FindManifestLine(ReadPackageFile(manifestPath, kManifestLimit), manifestPath, "fw512000.bin");
        const ImageVerification result = JudgeImage(line, Sha256OfFile(imagePath), imagePath, "fw512000.bin");
        EXPECT_EQ(result.verdict, c.verdict) << c.name << ": " << result.reason;
        EXPECT_EQ(result.digest, kImageDigest) << c.name;
    }
}

}  // namespace
