// SPDX-License-Identifier: MIT
#include "platform/ui/message_detail.h"

std::string MessageDetail::Take()
{
    std::string text;
    if (!m_reason.empty()) text += "Reason: " + m_reason;
    if (!m_next.empty()) text += (text.empty() ? "" : "\n") + std::string("Next: ") + m_next;
    m_reason.clear();
    m_next.clear();
    return text;
}
