// SPDX-License-Identifier: MIT
// Whether the device's web server answers, asked quietly: nothing is logged
// and no failure is shown. For waiting on a device that restarts.
#pragma once

#include <string>

// True when a GET of the device's home page gets any reply. Bounded by the
// Internet layer's connect and exchange time-outs.
bool DeviceAnswers(const std::string& address);
