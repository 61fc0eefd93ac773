// SPDX-License-Identifier: MIT
// The console's transfer meter line, and the rate and time left that the
// window's bar shows alike.
#include <gtest/gtest.h>

#include <string>

#include "platform/console/progress_meter.h"
#include "platform/ui/transfer_pace.h"

namespace {

struct MeterCase {
    ProgressReport progress;
    double seconds;
    const char* line;
    std::string pace;  // the bar's rate and time left
};

TEST(ProgressMeterTest, LineShowsBytesShareRateAndTimeLeft)
{
    const MeterCase cases[] = {
        {{"fw512000.bin", true, 0, 524288}, 0.0, "fw512000.bin  0 B / 512.0 KiB    0%", ""},
        {{"fw512000.bin", true, 131072, 524288}, 2.0, "fw512000.bin  128.0 KiB / 512.0 KiB   25%  64.0 KiB/s  0:06 left",
         "64.0 KiB/s  0:06 left"},
        {{"fw512000.bin", true, 524288, 524288}, 4.0, "fw512000.bin  512.0 KiB / 512.0 KiB  100%  128.0 KiB/s",
         "128.0 KiB/s"},
        {{"prof.bin", false, 3000, 0}, 1.0, "prof.bin  2.9 KiB  2.9 KiB/s", "2.9 KiB/s"},
        {{"big.bin", true, 33554432, 67108864}, 16.0, "big.bin  32.0 MiB / 64.0 MiB   50%  2.0 MiB/s  0:16 left",
         "2.0 MiB/s  0:16 left"},
        {{"a\x1b[2Jb", true, 10, 0}, 1.0, "a\\x1B[2Jb  10 B  10 B/s", "10 B/s"},
    };
    for (const MeterCase& c : cases) {
        const std::chrono::duration<double> elapsed(c.seconds);
        EXPECT_EQ(ProgressLine(c.progress, elapsed), c.line) << c.line;
        EXPECT_EQ(PaceText(c.progress, elapsed), c.pace) << c.line;
    }
}

}  // namespace
