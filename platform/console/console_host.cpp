#include "platform/console/console_host.h"

#include <ostream>

void ConsoleHost::OnStatus(const std::string& text) { m_out << text << std::endl; }

void ConsoleHost::OnMessageBox(const std::string& text, const std::string& caption, MessageIcon)
{
    m_err << '[' << caption << "] " << text << std::endl;
}
