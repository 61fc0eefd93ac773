// SPDX-License-Identifier: MIT
// The console host: status changes on one stream (standard output, or
// standard error when standard output carries data), message boxes on
// standard error as "[caption] text"; every box is answered with OK at once.
// Control characters in what it prints are escaped (see terminal_text.h).
#pragma once

#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/console/console_observer.h"
#include "platform/console/progress_meter.h"
#include "platform/ui/scripted_host.h"

class ConsoleHost : public ScriptedHost {
public:
    ConsoleHost(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    // `observer` follows everything the host shows, in order, until the host
    // goes.
    void AddObserver(ConsoleObserver& observer) { m_observers.push_back(&observer); }
    // Transfers show a meter on standard error (for a terminal only).
    void EnableProgressMeter() { m_meter.emplace(m_err); }
    // Standard error is a terminal: what the terminal echoed of a key (the
    // "^C" of a Ctrl-C) on an empty line is erased before a notice.
    void EraseEchoBeforeNotices() { m_eraseEcho = true; }

    void SetMessageDetail(const std::string& detail) override { m_detail = detail; }

    // A line for the user on standard error, from any thread, on a line of
    // its own: below the progress meter's line, which is ended first.
    void Notice(const std::string& text);

protected:
    void OnStatus(const std::string& text) override;
    void OnMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void OnProgress(const ProgressReport* progress) override;

private:
    std::ostream& m_out;
    std::ostream& m_err;
    std::vector<ConsoleObserver*> m_observers;
    std::optional<ProgressMeter> m_meter;
    std::mutex m_meterMutex;  // the meter and the notices share its line
    std::string m_detail;
    bool m_eraseEcho = false;
};
