// SPDX-License-Identifier: MIT
// The secret a run holds (the device password): every text the program shows
// or writes to its log passes through MaskSecrets first, so a device that
// echoes the password back cannot make it appear anywhere.
#pragma once

#include <string>

inline constexpr char kSecretMask[] = "********";

// Makes `secret` the text to mask from now on; an empty secret masks nothing.
void RegisterSecret(const std::string& secret);

// `text` with every occurrence of the registered secret replaced by
// kSecretMask.
std::string MaskSecrets(std::string text);
