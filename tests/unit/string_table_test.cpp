// SPDX-License-Identifier: MIT
// The string table: exact texts where their bytes matter.
#include <gtest/gtest.h>

#include "platform/ui/resources.h"
#include "res/resource.h"
#include "res/string_table.h"

namespace {

TEST(StringTable, LongEntriesAreLoadedWhole)
{
    EXPECT_EQ(LoadTableString(IDS_INTRODUCTION),
              "This utility will upgrade the firmware in your Varn Halvex\u00ae LAN Modem to the latest revision, "
              "5.1.2.  Click on Continue to perform the upgrade.\n \n It is HIGHLY RECOMMENDED that you close all "
              "other applications before continuing.");
    EXPECT_EQ(LoadTableString(IDS_CONGRATULATIONS),
              "Congratulations!  Your firmware is now upgraded to 5.1.2.  Click on EXIT to leave the Halvex\u00ae "
              "LAN Modem Upgrade Wizard.");
    EXPECT_EQ(LoadTableString(IDS_COPYING_FIRMWARE),
              "Copying the Firmware to your LAN Modem...\n\nAs your LAN Modem is being upgraded, the front panel "
              "lights will flash rapidly.  Do NOT unplug the unit during the upgrade.  Unplugging the unit will "
              "result in the loss of data.");
    EXPECT_GT(LoadTableString(IDS_INTRODUCTION).size(), 200u);
}

TEST(StringTable, FormTextsKeepTheirLineEnds)
{
    EXPECT_EQ(LoadTableString(IDS_LOGIN_TAIL), "&Enter=Submit\r\n");
    EXPECT_EQ(LoadTableString(IDS_DOWNLOAD_MODE_BODY), "B3=Enter+Firmware+Download+Mode");
    EXPECT_EQ(LoadTableString(IDS_DOWNLOAD_MODE_BODY).size(), 31u);
}

TEST(StringTable, EmptyAddressMessageQuotesTheDefaultHostNameTwice)
{
    std::string host = LoadTableString(IDS_DEFAULT_ADDRESS);
    ASSERT_FALSE(host.empty());
    EXPECT_EQ(LoadTableString(IDS_NO_ADDRESS),
              "You must fill out the Address field of the LAN Modem.  If you do not know what to enter, use the "
              "default of \"\"" + host + "\"\"");
}

TEST(StringTable, NotFoundHeadEndsInOneDoubleQuote)
{
    EXPECT_EQ(LoadTableString(IDS_CANNOT_FIND_MODEM), "Cannot find Halvex LAN Modem named \"");
}

TEST(StringTable, TextsKeepTheirOwnSpelling)
{
    EXPECT_EQ(LoadTableString(IDS_OPERATION_FAILED), "Operatation FAILED returned!");
    EXPECT_EQ(LoadTableString(IDS_PASSWORD_TOO_LONG), "You cannot have more than 80 characters in the password field");
    EXPECT_EQ(LoadTableString(IDS_WRONG_PASSWORD_MESSAGE),
              "You have entered an incorrect password. Please enter the correct password and click continue.  \n"
              "If you have no password assigned to the LAN Modem, leave the field blank");
    EXPECT_EQ(LoadTableString(IDS_ABOUTBOX), "&About NDXU Upgrade Wizard...");
}

TEST(StringTable, EveryNumberFrom101To145ThatIsUsedHasAnEntry)
{
    for (unsigned id = 101; id <= 145; ++id) {
        bool unused = id == 103 || id == 106;
        EXPECT_EQ(LoadTableString(id).empty(), unused) << "string " << id;
    }
}

TEST(StringTable, MissingEntryIsEmpty)
{
    EXPECT_EQ(LoadTableString(103), "");
    EXPECT_EQ(LoadTableString(146), "");
    EXPECT_EQ(LoadTableString(0), "");
}

TEST(StringTable, HoldsTheFrameworksOwnMessages)
{
    EXPECT_EQ(LoadTableString(AFX_IDP_NO_ERROR_AVAILABLE), "No error message is available.");
    EXPECT_EQ(LoadTableString(AFX_IDP_INTERNAL_FAILURE), "Internal application error.");
}

}  // namespace
