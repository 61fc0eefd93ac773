// SPDX-License-Identifier: MIT
#include "platform/console/progress_meter.h"

#include <cstdio>
#include <ostream>

#include "platform/console/terminal_text.h"
#include "platform/ui/transfer_pace.h"

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr char kClearLine[] = "\r\x1b[K";

}  // namespace

std::string ProgressLine(const ProgressReport& progress, std::chrono::duration<double> elapsed)
{
    std::string line =
        EscapeControlCharacters(progress.name) + "  " + ByteCountText(static_cast<double>(progress.done));
    if (progress.total > 0) {
        const double share = static_cast<double>(progress.done) / static_cast<double>(progress.total);
        char percent[16];
        std::snprintf(percent, sizeof percent, "%3.0f%%", share * 100);
        line += " / " + ByteCountText(static_cast<double>(progress.total)) + "  " + percent;
    }
    const std::string pace = PaceText(progress, elapsed);
    return pace.empty() ? line : line + "  " + pace;
}

void ProgressMeter::Update(const ProgressReport& progress)
{
    const Clock::time_point now = Clock::now();
    if (!m_started) m_started = now;
    const bool finished = progress.total > 0 && progress.done >= progress.total;
    if (m_shown && !finished && now - m_lastDrawn < kRedrawInterval) return;
    m_lastDrawn = now;
    m_shown = true;
    m_out << kClearLine << ProgressLine(progress, now - *m_started) << std::flush;
}

void ProgressMeter::Clear()
{
    if (m_shown) m_out << kClearLine << std::flush;
    m_shown = false;
    m_started.reset();
}

bool ProgressMeter::EndLine()
{
    const bool ended = m_shown;
    if (ended) m_out << '\n';
    m_shown = false;
    return ended;
}
