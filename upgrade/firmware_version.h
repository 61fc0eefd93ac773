// SPDX-License-Identifier: MIT
// Firmware versions on the device's status page. A version is a run of
// digits and dots; the version mark ("5.") counts only where such a run
// begins with it, so 4.5.1, 15.0 or a date such as 2015.3 is no 5.x version.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Whether a number on `page` begins with `mark`.
bool HasVersionMark(std::string_view page, std::string_view mark);

// The first version on `page` that begins with `mark` ("5.0.3"); "unknown"
// when there is none.
std::string FirmwareVersionOf(std::string_view page, std::string_view mark);

// The version the page shows as its firmware's, whatever its number: the
// first version (digits separated by dots, "4.2.7") after the page's word
// "Firmware"; none when there is no such word or no version after it.
std::optional<std::string> ShownFirmwareVersion(std::string_view page);
