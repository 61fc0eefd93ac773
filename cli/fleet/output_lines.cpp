// SPDX-License-Identifier: MIT
#include "cli/fleet/output_lines.h"

std::vector<std::string> LineSplitter::Feed(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        if (!m_cut) m_partial.append(bytes, start, std::min(end - start, kLongest - m_partial.size()));
        lines.push_back(std::move(m_partial));
        m_partial.clear();
        m_cut = false;
    }
    if (!m_cut) m_partial.append(bytes, start, std::min(bytes.size() - start, kLongest - m_partial.size()));
    m_cut = m_partial.size() == kLongest;
    return lines;
}

void LastLines::Feed(const std::string& bytes)
{
    for (std::string& line : m_splitter.Feed(bytes)) Keep(std::move(line));
}

void LastLines::Keep(std::string line)
{
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return;
    if (line.size() > kLongest) line.resize(kLongest);
    m_lines.push_back(std::move(line));
    if (m_lines.size() > m_count) m_lines.pop_front();
}

std::string LastLines::Joined() const
{
    std::deque<std::string> lines = m_lines;
    if (!m_splitter.Rest().empty()) {
        lines.push_back(m_splitter.Rest().substr(0, kLongest));
        if (lines.size() > m_count) lines.pop_front();
    }
    std::string joined;
    for (const std::string& line : lines) joined += (joined.empty() ? "" : " | ") + line;
    return joined;
}
