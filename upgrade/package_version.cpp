// SPDX-License-Identifier: MIT
#include "upgrade/package_version.h"

#include <vector>

#include "res/shipped_firmware.h"

namespace {

constexpr std::string_view kVersionField = "version=";
// More components or digits than any firmware version has: not a version.
constexpr std::size_t kMaxComponents = 8;
constexpr std::size_t kMaxDigits = 9;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The version's components; none when it is not digits separated by single dots.
std::optional<std::vector<unsigned long>> Components(std::string_view version)
{
    std::vector<unsigned long> components;
    while (true) {
        std::size_t digits = 0;
        unsigned long value = 0;
        while (digits < version.size() && version[digits] >= '0' && version[digits] <= '9')
            value = value * 10 + static_cast<unsigned long>(version[digits++] - '0');
        if (digits == 0 || digits > kMaxDigits || components.size() == kMaxComponents) return std::nullopt;
        components.push_back(value);
        version.remove_prefix(digits);
        if (version.empty()) return components;
        if (version.front() != '.') return std::nullopt;
        version.remove_prefix(1);
    }
}

}  // namespace

PackageVersion PackageVersionOf(std::string_view trustedComment)
{
    while (!trustedComment.empty()) {
        std::size_t end = 0;
        while (end < trustedComment.size() && !IsBlank(trustedComment[end])) ++end;
        const std::string_view word = trustedComment.substr(0, end);
        if (word.starts_with(kVersionField) && Components(word.substr(kVersionField.size())))
            return {std::string(word.substr(kVersionField.size())), "the signed trusted comment"};
        trustedComment.remove_prefix(end < trustedComment.size() ? end + 1 : end);
    }
    return {kShippedFirmwareVersion, "the program's texts"};
}

std::optional<int> CompareVersions(std::string_view a, std::string_view b)
{
    const std::optional<std::vector<unsigned long>> left = Components(a);
    const std::optional<std::vector<unsigned long>> right = Components(b);
    if (!left || !right) return std::nullopt;
    for (std::size_t i = 0; i < std::max(left->size(), right->size()); ++i) {
        const unsigned long x = i < left->size() ? (*left)[i] : 0;
        const unsigned long y = i < right->size() ? (*right)[i] : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}
