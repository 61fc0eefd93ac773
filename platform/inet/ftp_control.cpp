// SPDX-License-Identifier: MIT
#include "platform/inet/ftp_control.h"

#include <utility>

void CFtpConnection::Control::Succeeded() { Failed(0, {}, {}); }

void CFtpConnection::Control::Failed(DWORD error, std::string response, std::string reason)
{
    m_lastError = error;
    m_lastResponse = std::move(response);
    m_lastFailureReason = std::move(reason);
}
