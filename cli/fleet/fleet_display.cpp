// SPDX-License-Identifier: MIT
#include "cli/fleet/fleet_display.h"

#include <algorithm>
#include <ostream>

#include "cli/fleet/fitted_text.h"
#include "platform/console/terminal_text.h"

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kWidestName = 40;
constexpr auto kRedrawInterval = 100ms;
constexpr char kEraseBelow[] = "\x1b[J";

std::string Padded(std::string text, std::size_t width)
{
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

// `text` cut to fit a terminal line of `columns`, its last column left free
// so that the terminal never wraps.
std::string FitToWidth(const std::string& text, int columns)
{
    return CutToWidth(text, columns > 1 ? static_cast<std::size_t>(columns - 1) : 1);
}

// A text of several lines as one: each line feed becomes a blank.
std::string OnOneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string Name(const DeviceRun& run, std::size_t width)
{
    return Padded(EscapeControlCharacters(run.device.name), width);
}

std::string RunningLine(const DeviceRun& run, std::size_t nameWidth)
{
    std::string percent = run.percent ? std::to_string(*run.percent) + "%" : "";
    percent.insert(0, 4 - std::min<std::size_t>(percent.size(), 4), ' ');
    return Name(run, nameWidth) + "  " + percent + "  " + OnOneLine(EscapeControlCharacters(run.status));
}

}  // namespace

std::size_t NameWidth(const std::vector<FleetDevice>& devices)
{
    std::size_t width = 0;
    for (const FleetDevice& device : devices) width = std::max(width, EscapeControlCharacters(device.name).size());
    return std::min(width, kWidestName);
}

std::string RetryLine(const DeviceRun& run, const ResultFacts& failed, std::size_t nameWidth)
{
    std::string line = Name(run, nameWidth) + "  attempt " + std::to_string(run.attempts) + " " +
                       ResultName(failed.result);
    if (failed.reason) line += ": " + OnOneLine(EscapeControlCharacters(*failed.reason));
    return line + "; " + run.status;
}

std::string EndedLine(const DeviceRun& run, std::size_t nameWidth)
{
    const ResultFacts& result = *run.result;
    std::string line = Name(run, nameWidth) + "  " + ResultName(result.result);
    if (result.reason) {
        line += ": " + OnOneLine(EscapeControlCharacters(*result.reason));
    } else if (result.versionBefore) {
        const std::string after = result.versionAfter ? " -> " + EscapeControlCharacters(*result.versionAfter) : "";
        line += ": " + EscapeControlCharacters(*result.versionBefore) + after;
    }
    if (result.logError) line += " (the run log is incomplete: " + EscapeControlCharacters(*result.logError) + ")";
    return line;
}

LiveDisplay::LiveDisplay(std::ostream& out, TerminalSize size, const std::vector<FleetDevice>& devices)
    : m_out(out), m_size(size), m_nameWidth(NameWidth(devices)), m_devices(devices.size())
{
}

void LiveDisplay::Started(const DeviceRun& run)
{
    // A device tried again keeps its place.
    if (std::find(m_running.begin(), m_running.end(), &run) == m_running.end()) m_running.push_back(&run);
    m_changed = true;
}

void LiveDisplay::Retrying(const DeviceRun& run, const ResultFacts& failed, const std::string&)
{
    Erase();
    m_out << FitToWidth(RetryLine(run, failed, m_nameWidth), m_size.columns) << '\n';
    Draw();
}

void LiveDisplay::Reported(const DeviceRun&, const nlohmann::ordered_json&, const std::string&) { m_changed = true; }

void LiveDisplay::Ended(const DeviceRun& run)
{
    std::erase(m_running, &run);
    ++m_ended;
    if (!Succeeded(run.result->result)) ++m_failed;
    Erase();
    m_out << FitToWidth(EndedLine(run, m_nameWidth), m_size.columns) << '\n';
    Draw();
}

void LiveDisplay::Notice(const std::string& text)
{
    Erase();
    m_out << FitToWidth(text, m_size.columns) << '\n';
    Draw();
}

void LiveDisplay::Tick()
{
    if (!m_changed || Clock::now() - m_lastDrawn < kRedrawInterval) return;
    Erase();
    Draw();
}

void LiveDisplay::Erase()
{
    if (m_drawnLines > 0) m_out << "\x1b[" << m_drawnLines << 'A';
    m_out << '\r' << kEraseBelow;
    m_drawnLines = 0;
}

void LiveDisplay::Draw()
{
    if (m_ended == m_devices) {
        m_out.flush();
        return;
    }
    // The headline and as many running devices as the terminal has room for.
    const std::size_t room = static_cast<std::size_t>(std::max(m_size.rows - 2, 2));
    const std::size_t shown = m_running.size() + 1 <= room ? m_running.size() : room - 2;
    std::vector<std::string> lines = {Headline()};
    for (std::size_t i = 0; i < shown; ++i) lines.push_back(RunningLine(*m_running[i], m_nameWidth));
    if (shown < m_running.size()) lines.push_back("... and " + std::to_string(m_running.size() - shown) + " more running");
    for (const std::string& line : lines) m_out << FitToWidth(line, m_size.columns) << '\n';
    m_out.flush();
    m_drawnLines = static_cast<int>(lines.size());
    m_changed = false;
    m_lastDrawn = Clock::now();
}

std::string LiveDisplay::Headline() const
{
    const std::size_t waiting = m_devices - m_ended - m_running.size();
    const auto retrying = static_cast<std::size_t>(std::count_if(
        m_running.begin(), m_running.end(), [](const DeviceRun* run) { return run->state == DeviceState::Retrying; }));
    const std::string again = retrying > 0 ? std::to_string(retrying) + " to be tried again, " : "";
    return std::to_string(m_running.size() - retrying) + " running, " + again + std::to_string(waiting) + " waiting, " +
           std::to_string(m_ended) + " ended (" + std::to_string(m_failed) + " failed) of " +
           std::to_string(m_devices) + " devices";
}

LineDisplay::LineDisplay(std::ostream& out, const std::vector<FleetDevice>& devices)
    : m_out(out), m_nameWidth(NameWidth(devices))
{
}

void LineDisplay::Started(const DeviceRun& run)
{
    const std::string attempt = run.attempts > 1 ? " (attempt " + std::to_string(run.attempts) + ")" : "";
    m_out << Name(run, m_nameWidth) << "  started" << attempt << std::endl;
}

void LineDisplay::Retrying(const DeviceRun& run, const ResultFacts& failed, const std::string&)
{
    m_out << RetryLine(run, failed, m_nameWidth) << std::endl;
}

void LineDisplay::Ended(const DeviceRun& run) { m_out << EndedLine(run, m_nameWidth) << std::endl; }

void LineDisplay::Notice(const std::string& text) { m_out << text << std::endl; }
