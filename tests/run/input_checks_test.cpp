// SPDX-License-Identifier: MIT
// The start of a run: what is logged, the input checks and their messages,
// and what a refused input leaves unchanged.
#include <gtest/gtest.h>

#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "tests/support/wizard_fixture.h"

namespace {

// An address that passes the checks and fails at once at the connection:
// the Internet layer refuses a name with blanks, without touching the network.
std::string UnreachableAddress(std::size_t length) { return "no such" + std::string(length - 7, 'x'); }

class InputChecksTest : public WizardTest {
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        StartWizard();
    }

    std::string LogAfterBanner()
    {
        std::string log = LogText();
        std::string banner = LogEntry("\n\n\n\nNDXU Upgrade Started - " + AfxLoadString(IDS_NO_ADDRESS));
        return log.substr(banner.size());
    }

    void ExpectRefusedWith(unsigned stringId)
    {
        EXPECT_EQ(m_host.Events(), std::vector<HostEvent>{BoxEvent(AfxLoadString(stringId), AfxGetAppName(),
                                                                   MessageIcon::None)});
        EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::InputRefused);
    }

    bool Refused() { return Wizard().LastRunEnd() == RunEnd::InputRefused; }
};

TEST_F(InputChecksTest, EmptyAddressIsRefusedNamingTheDefaultHostName)
{
    RunWith("", "");
    ExpectRefusedWith(IDS_NO_ADDRESS);
    EXPECT_EQ(LogAfterBanner(), LogEntry("Continue Button Pushed") + LogEntry("Server Specified: "));
}

TEST_F(InputChecksTest, AddressOfEightyCharactersPassesAndEightyOneIsRefused)
{
    RunWith(UnreachableAddress(80), "");
    EXPECT_FALSE(Refused());
    EXPECT_EQ(m_host.Statuses().front(), "Attempting to connect to LAN Modem");

    m_host.Clear();
    std::string tooLong = UnreachableAddress(81);
    RunWith(tooLong, "");
    ExpectRefusedWith(IDS_ADDRESS_TOO_LONG);
    EXPECT_TRUE(LogText().ends_with(LogEntry("Continue Button Pushed") + LogEntry("Server Specified: " + tooLong)));
}

TEST_F(InputChecksTest, PasswordOfSeventyNineCharactersPassesAndEightyIsRefused)
{
    RunWith(UnreachableAddress(10), std::string(79, 'p'));
    EXPECT_FALSE(Refused());

    m_host.Clear();
    RunWith(UnreachableAddress(10), std::string(80, 'p'));
    ExpectRefusedWith(IDS_PASSWORD_TOO_LONG);
}

TEST_F(InputChecksTest, LengthsAreCountedInBytes)
{
    // Forty two-byte characters: eighty bytes.
    std::string password;
    for (int i = 0; i < 40; ++i) password += "\u00e9";
    RunWith(UnreachableAddress(10), password);
    ExpectRefusedWith(IDS_PASSWORD_TOO_LONG);
}

TEST_F(InputChecksTest, AddressOfBlanksPassesAndIsUsedAsTheServerName)
{
    RunWith("   ", "");
    EXPECT_FALSE(Refused());
    EXPECT_EQ(Text(IDC_STATUS), "Cannot find Halvex LAN Modem named \"   \"");
    EXPECT_NE(LogText().find(LogEntry("Server Specified:    ")), std::string::npos);
}

TEST_F(InputChecksTest, RefusedInputLeavesTheWindowAsItWas)
{
    RunWith("   ", "");
    std::string status = Text(IDC_STATUS);
    ASSERT_FALSE(status.empty());
    m_host.Clear();

    RunWith("", "");
    EXPECT_EQ(Text(IDC_STATUS), status);
    EXPECT_EQ(m_host.Statuses(), std::vector<std::string>{});
    EXPECT_TRUE(Visible(IDC_CONTINUE));
    EXPECT_TRUE(Visible(IDCANCEL));
    EXPECT_EQ(Text(IDCANCEL), "Cancel");
}

TEST_F(InputChecksTest, AcceptedInputGivesCancelTheFocusAndTheDefaultLook)
{
    RunWith(UnreachableAddress(10), "");
    EXPECT_EQ(Wizard().FocusId(), IDCANCEL);
    EXPECT_TRUE(Wizard().FindControl(IDCANCEL)->defaultLook);
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::DeviceNotReached);
}

}  // namespace
