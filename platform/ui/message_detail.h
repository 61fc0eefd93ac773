// SPDX-License-Identifier: MIT
// What a window adds to a message box beyond its text: why it comes, and
// what the device is left with and what to do next, as the run gave them
// before the box.
#pragma once

#include <string>

class MessageDetail {
public:
    void SetReason(const std::string& reason) { m_reason = reason; }
    void SetNextStep(const std::string& next) { m_next = next; }

    // "Reason: ..." and "Next: ..." lines, of those given; empty when none
    // was. The detail is then forgotten: it is the next box's alone.
    std::string Take();

private:
    std::string m_reason;
    std::string m_next;
};
