// SPDX-License-Identifier: MIT
#include "tests/support/recording_host.h"

void RecordingHost::OnStatus(const std::string& text) { m_events.push_back(StatusEvent(text)); }

void RecordingHost::OnMessageBox(const std::string& text, const std::string& caption, MessageIcon icon)
{
    m_events.push_back(BoxEvent(text, caption, icon));
}

void RecordingHost::OnProgress(const ProgressReport* progress)
{
    m_progress.push_back(progress ? progress->name + " " + std::to_string(progress->done) + "/" +
                                        std::to_string(progress->total)
                                  : std::string());
}

std::vector<HostEvent> RecordingHost::MessageBoxes() const
{
    std::vector<HostEvent> boxes;
    for (const HostEvent& event : m_events)
        if (event.kind == HostEvent::Kind::MessageBox) boxes.push_back(event);
    return boxes;
}

std::vector<std::string> RecordingHost::Statuses() const
{
    std::vector<std::string> statuses;
    for (const HostEvent& event : m_events)
        if (event.kind == HostEvent::Kind::Status) statuses.push_back(event.text);
    return statuses;
}

HostEvent StatusEvent(std::string text) { return {HostEvent::Kind::Status, std::move(text), {}, MessageIcon::None}; }

HostEvent BoxEvent(std::string text, std::string caption, MessageIcon icon)
{
    return {HostEvent::Kind::MessageBox, std::move(text), std::move(caption), icon};
}

void PrintTo(const HostEvent& event, std::ostream* out)
{
    if (event.kind == HostEvent::Kind::Status) {
        *out << "status: " << event.text;
        return;
    }
    static const char* const icons[] = {"no icon", "exclamation", "stop"};
    *out << "box [" << event.caption << "] (" << icons[static_cast<int>(event.icon)] << ") " << event.text;
}
