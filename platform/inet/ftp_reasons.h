// SPDX-License-Identifier: MIT
// Why an FTP transfer failed, in one line of plain English for a log.
#pragma once

#include <string>

#include "platform/inet/layer_settings.h"
#include "platform/inet/transfer_limits.h"

// The device never opened the data connection of an active-mode transfer;
// `address` is the device's.
std::string NoDataConnectionReason(const std::string& address);

// A time limit ended the transfer: `limit` says which, none when the device
// did not answer in time by the transfer library's own limit.
std::string TimeoutReason(ExceededLimit limit, const LayerSettings& settings);

// The connection broke off, or the device closed it, in mid-transfer.
std::string DroppedReason();

// The transfer ended without the device's confirmation; `lastLine` is the
// last line of its last reply.
std::string UnconfirmedReason(const std::string& lastLine);

// The connection to the device could not be made; `detail` says where and
// why (CInternetException::Detail).
std::string CannotConnectReason(const std::string& detail);
