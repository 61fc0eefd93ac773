// The console host: status changes on standard output, message boxes on
// standard error as "[caption] text"; every box is answered with OK at once.
// Control characters in what it prints are escaped (see terminal_text.h).
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "platform/ui/scripted_host.h"

class ConsoleHost : public ScriptedHost {
public:
    using Pulse = std::function<void()>;

    ConsoleHost(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    // `pulse` is called after every status change and regularly while the
    // program blocks in a transfer: where a front-end can act on a signal.
    void SetPulse(Pulse pulse) { m_pulse = std::move(pulse); }
    void KeepPainted() override;

    // The status line's text as last shown.
    const std::string& LastStatus() const { return m_lastStatus; }

protected:
    void OnStatus(const std::string& text) override;
    void OnMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;

private:
    std::ostream& m_out;
    std::ostream& m_err;
    Pulse m_pulse;
    std::string m_lastStatus;
};
