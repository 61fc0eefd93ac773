// SPDX-License-Identifier: MIT
#include "platform/console/console_host.h"

#include <ostream>

#include "platform/console/terminal_text.h"

void ConsoleHost::OnStatus(const std::string& text)
{
    for (ConsoleObserver* observer : m_observers) observer->OnStatus(text);
    m_out << EscapeControlCharacters(text) << std::endl;
}

void ConsoleHost::OnMessageBox(const std::string& text, const std::string& caption, MessageIcon icon)
{
    for (ConsoleObserver* observer : m_observers) observer->OnMessage(text, icon, m_detail);
    m_err << '[' << EscapeControlCharacters(caption) << "] " << EscapeControlCharacters(text) << std::endl;
    if (!m_detail.empty()) m_err << "  reason: " << EscapeControlCharacters(m_detail) << std::endl;
    m_detail.clear();
}

void ConsoleHost::OnProgress(const ProgressReport* progress)
{
    for (ConsoleObserver* observer : m_observers) {
        if (progress)
            observer->OnProgress(*progress);
        else
            observer->OnProgressEnd();
    }
    const std::lock_guard<std::mutex> lock(m_meterMutex);
    if (!m_meter) return;
    if (progress)
        m_meter->Update(*progress);
    else
        m_meter->Clear();
}

void ConsoleHost::Notice(const std::string& text)
{
    const std::lock_guard<std::mutex> lock(m_meterMutex);
    const bool lineEnded = m_meter && m_meter->EndLine();
    if (!lineEnded && m_eraseEcho) m_err << "\r\x1b[K";
    m_err << EscapeControlCharacters(text) << std::endl;
}
