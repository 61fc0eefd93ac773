// SPDX-License-Identifier: MIT
#include "platform/console/progress_meter.h"

#include <cstdio>
#include <ostream>

#include "platform/console/terminal_text.h"

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr char kClearLine[] = "\r\x1b[K";

std::string Bytes(double bytes)
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

std::string Duration(double seconds)
{
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

std::string ProgressLine(const ProgressReport& progress, std::chrono::duration<double> elapsed)
{
    std::string line = EscapeControlCharacters(progress.name) + "  " + Bytes(static_cast<double>(progress.done));
    if (progress.total > 0) {
        const double share = static_cast<double>(progress.done) / static_cast<double>(progress.total);
        char percent[16];
        std::snprintf(percent, sizeof percent, "%3.0f%%", share * 100);
        line += " / " + Bytes(static_cast<double>(progress.total)) + "  " + percent;
    }
    if (elapsed.count() <= 0 || progress.done == 0) return line;
    const double rate = static_cast<double>(progress.done) / elapsed.count();
    line += "  " + Bytes(rate) + "/s";
    if (progress.total > progress.done)
        line += "  " + Duration(static_cast<double>(progress.total - progress.done) / rate) + " left";
    return line;
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
