// The console host: status changes on standard output, message boxes on
// standard error as "[caption] text"; every box is answered with OK at once.
#pragma once

#include <iosfwd>

#include "platform/ui/scripted_host.h"

class ConsoleHost : public ScriptedHost {
public:
    ConsoleHost(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

protected:
    void OnStatus(const std::string& text) override;
    void OnMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;

private:
    std::ostream& m_out;
    std::ostream& m_err;
};
