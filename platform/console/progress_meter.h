// SPDX-License-Identifier: MIT
// A one-line transfer meter for a terminal: file, bytes, total, percentage,
// rate and time left, redrawn in place at most ten times a second and cleared
// when the transfer ends.
#pragma once

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>

#include "platform/ui/progress_report.h"

class ProgressMeter {
public:
    using Clock = std::chrono::steady_clock;

    explicit ProgressMeter(std::ostream& out) : m_out(out) {}

    void Update(const ProgressReport& progress);
    void Clear();
    // Ends the meter's line, so that a line of text can follow; the meter
    // is drawn again below it at the next update. Whether a line was shown
    // to end.
    bool EndLine();

private:
    std::ostream& m_out;
    std::optional<Clock::time_point> m_started;
    Clock::time_point m_lastDrawn{};
    bool m_shown = false;
};

// The meter's line for `progress` after `elapsed` of the transfer.
std::string ProgressLine(const ProgressReport& progress, std::chrono::duration<double> elapsed);
