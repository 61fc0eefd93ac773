// SPDX-License-Identifier: MIT
#include "platform/ui/transfer_pace.h"

#include <cstdio>

std::string ByteCountText(double bytes)
{
    static constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB"};
    int unit = 0;
    while (bytes >= 1024 && unit < 3) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
    return text;
}

std::string MinutesText(double seconds)
{
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

std::string PaceText(const ProgressReport& progress, std::chrono::duration<double> elapsed)
{
    if (elapsed.count() <= 0 || progress.done == 0) return {};
    const double rate = static_cast<double>(progress.done) / elapsed.count();
    std::string text = ByteCountText(rate) + "/s";
    if (progress.total > progress.done)
        text += "  " + MinutesText(static_cast<double>(progress.total - progress.done) / rate) + " left";
    return text;
}
