// SPDX-License-Identifier: MIT
#include "platform/console/console_host.h"

#include <ostream>

#include "platform/console/terminal_text.h"

void ConsoleHost::OnStatus(const std::string& text)
{
    if (m_observer) m_observer(text);
    m_out << EscapeControlCharacters(text) << std::endl;
}

void ConsoleHost::OnMessageBox(const std::string& text, const std::string& caption, MessageIcon)
{
    m_err << '[' << EscapeControlCharacters(caption) << "] " << EscapeControlCharacters(text) << std::endl;
    if (!m_detail.empty()) m_err << "  reason: " << EscapeControlCharacters(m_detail) << std::endl;
    m_detail.clear();
}

void ConsoleHost::OnProgress(const ProgressReport* progress)
{
    if (!m_meter) return;
    if (progress)
        m_meter->Update(*progress);
    else
        m_meter->Clear();
}
