// SPDX-License-Identifier: MIT
// The firmware version that the program's own texts announce (the intro and
// the completion screen): the version a package installs when its signed
// trusted comment names none.
#pragma once

#define NDXU_SHIPPED_FIRMWARE_VERSION "5.1.2"

inline constexpr char kShippedFirmwareVersion[] = NDXU_SHIPPED_FIRMWARE_VERSION;
