// SPDX-License-Identifier: MIT
#include "platform/inet/ftp_replies.h"

#include <algorithm>
#include <cctype>

#include "platform/inet/device_text.h"

namespace {

// A reply's last line: three digits, then a blank or nothing.
bool EndsReply(std::string_view line)
{
    if (line.size() < 3 || (line.size() > 3 && line[3] != ' ')) return false;
    for (char c : line.substr(0, 3))
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool IsRefusal(std::string_view reply) { return !reply.empty() && (reply.front() == '4' || reply.front() == '5'); }

}  // namespace

void FtpReplies::Clear()
{
    m_reply.clear();
    m_done = true;
    m_refusal.clear();
}

void FtpReplies::TakeLine(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (m_done) m_reply.clear();
    if (!m_reply.empty() && m_reply.size() < kMaxReplySize) m_reply += '\n';
    m_reply.append(line.substr(0, kMaxReplySize - std::min(m_reply.size(), kMaxReplySize)));
    m_done = EndsReply(line);
    if (m_done && IsRefusal(line)) m_refusal = m_reply;
}

void FtpReplies::TakeReply(std::string_view reply)
{
    while (!reply.empty()) {
        const std::size_t end = std::min(reply.find('\n'), reply.size());
        const std::string_view line = reply.substr(0, end);
        reply.remove_prefix(std::min(end + 1, reply.size()));
        if (line.find_first_not_of("\r") != std::string_view::npos) TakeLine(line);
    }
}

std::string FtpReplies::LastLine() const { return DeviceText(m_reply.substr(m_reply.rfind('\n') + 1)); }

std::string FtpReplies::Refusal() const { return m_refusal.empty() ? std::string() : DeviceText(m_refusal); }

bool FtpReplies::EndedOnARefusal() const { return m_done && IsRefusal(m_reply); }
