// SPDX-License-Identifier: MIT
// The server's replies on an FTP control connection, line by line as they
// arrive: the reply being received or the last one, and the last refusal.
// The texts it hands on are device text (see device_text.h).
#pragma once

#include <string>
#include <string_view>

class FtpReplies {
public:
    // A new request begins: the last reply and the last refusal are forgotten.
    void Clear();

    // Takes one line of a reply, without or with its line end.
    void TakeLine(std::string_view line);
    // Takes a whole reply, its lines separated by line ends.
    void TakeReply(std::string_view reply);

    // The reply being received, or the last one; at most about 4 KiB.
    const std::string& Last() const { return m_reply; }
    // The last line of Last(), through the device-text filter.
    std::string LastLine() const;
    // The last reply is complete, and of class 2 (the command succeeded).
    bool Confirmed() const { return m_done && m_reply.starts_with('2'); }
    // The last reply is complete, and of class 1 (more is to follow).
    bool Preliminary() const { return m_done && m_reply.starts_with('1'); }
    // The last reply is complete, and a refusal (class 4 or 5): the last
    // word on its command, so nothing more is owed on the connection.
    bool EndedOnARefusal() const;
    // The last refusal since the request began, through the device-text
    // filter; empty when there was none.
    std::string Refusal() const;

private:
    static constexpr std::size_t kMaxReplySize = 4096;

    std::string m_reply;
    bool m_done = true;
    std::string m_refusal;
};
