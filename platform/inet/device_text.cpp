// SPDX-License-Identifier: MIT
#include "platform/inet/device_text.h"

#include <utility>

namespace {
DeviceTextFilter g_filter = nullptr;
}

void SetDeviceTextFilter(DeviceTextFilter filter) { g_filter = filter; }

std::string DeviceText(std::string text) { return g_filter ? g_filter(std::move(text)) : text; }
