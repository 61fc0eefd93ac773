// SPDX-License-Identifier: MIT
// Whether the device's web server or its FTP server answers, asked quietly: nothing is logged
// and no failure is shown. For waiting on a device that restarts.
#pragma once

#include <string>

// True when a GET of the device's home page gets any reply. Bounded by the
// Internet layer's connect and exchange time-outs.
bool DeviceAnswers(const std::string& address);

// True when the device's FTP server greets and takes the anonymous login, as
// its download mode's does; the connection is closed at once.
bool FtpTakesAnonymousLogin(const std::string& address);
