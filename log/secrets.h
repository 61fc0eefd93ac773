// SPDX-License-Identifier: MIT
// The secret a run holds (the device password): every text that comes from
// the device passes through MaskSecrets where it enters (the app installs it
// as the device-text filter, platform/inet/device_text.h), so a device that
// echoes the password back cannot make it appear anywhere. The program's own
// texts and the system's messages are not masked: a short password would
// mangle them and show itself by the gaps.
#pragma once

#include <string>

inline constexpr char kSecretMask[] = "********";

// Makes `secret` the text to mask from now on; an empty secret masks nothing.
void RegisterSecret(const std::string& secret);

// `text` with every occurrence of the registered secret replaced by
// kSecretMask.
std::string MaskSecrets(std::string text);
