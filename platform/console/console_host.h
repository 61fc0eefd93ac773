// SPDX-License-Identifier: MIT
// The console host: status changes on standard output, message boxes on
// standard error as "[caption] text"; every box is answered with OK at once.
// Control characters in what it prints are escaped (see terminal_text.h).
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "platform/console/progress_meter.h"
#include "platform/ui/scripted_host.h"

class ConsoleHost : public ScriptedHost {
public:
    using StatusObserver = std::function<void(const std::string&)>;

    ConsoleHost(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    // `observer` sees every status text as it is shown.
    void SetStatusObserver(StatusObserver observer) { m_observer = std::move(observer); }
    // Transfers show a meter on standard error (for a terminal only).
    void EnableProgressMeter() { m_meter.emplace(m_err); }

protected:
    void OnStatus(const std::string& text) override;
    void OnMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void OnProgress(const ProgressReport* progress) override;

public:
    void SetMessageDetail(const std::string& detail) override { m_detail = detail; }

private:
    std::string m_detail;

private:
    std::ostream& m_out;
    std::ostream& m_err;
    StatusObserver m_observer;
    std::optional<ProgressMeter> m_meter;
};
