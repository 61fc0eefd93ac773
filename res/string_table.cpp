// SPDX-License-Identifier: MIT
#include "res/string_table.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/ui/resources.h"
#include "res/shipped_firmware.h"

namespace {

struct Entry {
    unsigned id;
    std::string_view text;
};

#define NDXU_DEFAULT_ADDRESS "lanmodem"

// Sorted by number. Texts are UTF-8.
constexpr std::array kTable{
    Entry{101, "&About NDXU Upgrade Wizard..."},
    Entry{102, NDXU_DEFAULT_ADDRESS},
    Entry{104, "fw512000.bin"},
    Entry{105, "profback.bin"},
    Entry{107, "Varn Halvex LAN Modem (North America)"},
    Entry{108, "You must fill out the Address field of the LAN Modem.  If you do not know what to enter, "
               "use the default of \"\"" NDXU_DEFAULT_ADDRESS "\"\""},
    Entry{109, "You cannot have more than 80 characters in the address field"},
    Entry{110, "You cannot have more than 80 characters in the password field"},
    Entry{111, "Attempting to connect to LAN Modem"},
    Entry{112, "Cannot find Halvex LAN Modem named \""},
    Entry{113, "Incorrect Password entered"},
    Entry{114, "Password="},
    Entry{115, "&Enter=Submit\r\n"},
    Entry{116, "wrong password"},
    Entry{117, "You have entered an incorrect password. Please enter the correct password and click "
               "continue.  \nIf you have no password assigned to the LAN Modem, leave the field blank"},
    Entry{118, "Operatation FAILED returned!"},
    Entry{119, "Password Recognized"},
    Entry{120, "Checking version of NDXU"},
    Entry{121, "5."},
    Entry{122, "Device is not a "},
    Entry{123, ".  Connect to the correct model device or cancel the Upgrade Wizard"},
    Entry{124, "This utility will upgrade the firmware in your Varn Halvex\u00ae LAN Modem to the latest "
               "revision, " NDXU_SHIPPED_FIRMWARE_VERSION ".  Click on Continue to perform the upgrade.\n \n It is HIGHLY RECOMMENDED "
               "that you close all other applications before continuing."},
    Entry{125, "Lan Modem Address"},
    Entry{126, "Password"},
    Entry{127, "Cancel"},
    Entry{128, "Continue"},
    Entry{129, "NDXU Version Verified"},
    Entry{130, "Starting LAN Modem FTP server"},
    Entry{131, "FTP Server Started"},
    Entry{132, "Opening FTP Session..."},
    Entry{133, "Upgrading Firmware"},
    Entry{134, "Backing up old profile..."},
    Entry{135, "Profile Saved"},
    Entry{136, "Upgrading Firmware...  This will take about a minute..."},
    Entry{137, "Congratulations!  Your firmware is now upgraded to " NDXU_SHIPPED_FIRMWARE_VERSION ".  Click on EXIT to leave the "
               "Halvex\u00ae LAN Modem Upgrade Wizard."},
    Entry{138, "Exit"},
    Entry{139, "Firmware Upgrade Completed"},
    Entry{140, "Resetting the Halvex LAN Modem"},
    Entry{141, "Operation failed"},
    Entry{142, "B3=Enter+Firmware+Download+Mode"},
    Entry{143, "Copying the Firmware to your LAN Modem...\n\nAs your LAN Modem is being upgraded, the "
               "front panel lights will flash rapidly.  Do NOT unplug the unit during the upgrade.  "
               "Unplugging the unit will result in the loss of data."},
    Entry{144, "Checking for alternate prod.bin"},
    Entry{145, "Alternate Prod.bin found.  Click OK to upload."},
    Entry{AFX_IDP_NO_ERROR_AVAILABLE, "No error message is available."},
    Entry{AFX_IDP_INTERNAL_FAILURE, "Internal application error."},
};

#undef NDXU_DEFAULT_ADDRESS

static_assert(std::is_sorted(kTable.begin(), kTable.end(),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; }));

}  // namespace

std::string LoadTableString(unsigned id)
{
    auto it = std::lower_bound(kTable.begin(), kTable.end(), id,
                               [](const Entry& entry, unsigned wanted) { return entry.id < wanted; });
    if (it == kTable.end() || it->id != id) return {};
    return std::string(it->text);
}
