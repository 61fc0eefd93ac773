// SPDX-License-Identifier: MIT
#include "platform/inet/ftp_reasons.h"

std::string NoDataConnectionReason(const std::string& address)
{
    return "the device did not open the data connection (active FTP); a firewall on this machine may be dropping "
           "incoming connections: allow incoming connections from " +
           address + ", or use passive FTP (NDXU_FTP_PASSIVE=1)";
}

std::string TimeoutReason(ExceededLimit limit, const LayerSettings& settings)
{
    switch (limit) {
    case ExceededLimit::Whole:
        return "the transfer timed out: it took longer than " + std::to_string(settings.exchangeTimeout.count()) +
               " s (NDXU_EXCHANGE_TIMEOUT)";
    case ExceededLimit::Idle:
        return "the transfer timed out: nothing moved for " + std::to_string(settings.receiveTimeout.count()) +
               " s (NDXU_RECEIVE_TIMEOUT)";
    case ExceededLimit::None: break;
    }
    return "the transfer timed out: the device did not answer in time";
}

std::string DroppedReason() { return "the connection to the device was dropped during the transfer"; }

std::string UnconfirmedReason(const std::string& lastLine)
{
    return "the transfer ended without the device confirming it (its last reply: " + lastLine + ")";
}

std::string CannotConnectReason(const std::string& detail) { return "cannot connect to the device: " + detail; }
