#include "platform/console/console_host.h"

#include <ostream>

#include "platform/console/terminal_text.h"

void ConsoleHost::KeepPainted()
{
    if (m_pulse) m_pulse();
}

void ConsoleHost::OnStatus(const std::string& text)
{
    m_lastStatus = text;
    m_out << EscapeControlCharacters(text) << std::endl;
    KeepPainted();
}

void ConsoleHost::OnMessageBox(const std::string& text, const std::string& caption, MessageIcon)
{
    m_err << '[' << EscapeControlCharacters(caption) << "] " << EscapeControlCharacters(text) << std::endl;
}
