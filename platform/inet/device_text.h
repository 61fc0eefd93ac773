// SPDX-License-Identifier: MIT
// Text that came from the device (its FTP replies, and the pages' text the
// program shows or logs) passes through the program's filter where it
// enters: the program uses it to keep its secrets out of what the device
// sends back. The program's own texts and the system's messages do not pass.
#pragma once

#include <string>

using DeviceTextFilter = std::string (*)(std::string text);

// Sets the filter; null leaves device text as it came.
void SetDeviceTextFilter(DeviceTextFilter filter);

// `text` from the device, as the program may show or log it.
std::string DeviceText(std::string text);
