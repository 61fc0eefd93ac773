// SPDX-License-Identifier: MIT
// A host that keeps, in order, every status change and every message box,
// so that a test can compare the whole story of a run.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/scripted_host.h"

struct HostEvent {
    enum class Kind { Status, MessageBox };
    Kind kind;
    std::string text;
    std::string caption;  // message boxes only
    MessageIcon icon = MessageIcon::None;

    bool operator==(const HostEvent&) const = default;
};

class RecordingHost : public ScriptedHost {
public:
    const std::vector<HostEvent>& Events() const { return m_events; }
    std::vector<HostEvent> MessageBoxes() const;
    std::vector<std::string> Statuses() const;
    // Transfer progress as it was shown, apart from the story: "<name>
    // <done>/<total>" an update, "" an end.
    const std::vector<std::string>& Progress() const { return m_progress; }
    void Clear()
    {
        m_events.clear();
        m_progress.clear();
    }

protected:
    void OnStatus(const std::string& text) override;
    void OnMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void OnProgress(const ProgressReport* progress) override;

private:
    std::vector<HostEvent> m_events;
    std::vector<std::string> m_progress;
};

HostEvent StatusEvent(std::string text);
// Readable test failures: "status: text" or "box [caption] (icon) text".
void PrintTo(const HostEvent& event, std::ostream* out);
HostEvent BoxEvent(std::string text, std::string caption, MessageIcon icon);
