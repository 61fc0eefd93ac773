// SPDX-License-Identifier: MIT
// The firmware version a package installs, and how it compares with the
// version a device runs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct PackageVersion {
    std::string version;
    std::string source;  // where it comes from, for the log
};

// "version=X.Y.Z" in the signed trusted comment (a word of it); without
// one, the version the program's own texts name.
PackageVersion PackageVersionOf(std::string_view trustedComment);

// Compares two versions of digits and dots component by component, as
// numbers (5.10 is newer than 5.9; a missing component counts as 0): below,
// equal to or above 0 as `a` is older than, the same as or newer than `b`.
// None when either is not such a version ("unknown").
std::optional<int> CompareVersions(std::string_view a, std::string_view b);
