// SPDX-License-Identifier: MIT
// The page fetch against the simulator: the page buffer's bounds, the
// overrun box, failures reported by the platform's texts, and a device that
// stalls or sends far too much.
#include <chrono>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

#include "net/page_fetch.h"
#include "platform/inet/inet_types.h"
#include "platform/ui/win_app.h"
#include "tests/support/device_fixture.h"

namespace {

class PageFetchTest : public DeviceTest {
protected:
    std::unique_ptr<char[]> FetchStatusPage(std::vector<std::string> deviceOptions)
    {
        StartDevice(std::move(deviceOptions));
        StartWizard();
        return FetchPage(0, kDeviceAddress, "", "", "/stat1.htm");
    }

    std::string LogAfterBanner()
    {
        std::string log = LogText();
        return log.substr(log.find("******Call for page: "));
    }
};

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
    return -1;
}

TEST_F(PageFetchTest, PageOfExactly19999BytesIsReturnedWholeWithoutABox)
{
    std::unique_ptr<char[]> page = FetchStatusPage({"--reply", "stat1=size=19999"});
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(std::strlen(page.get()), 19999u);
    EXPECT_TRUE(m_host.MessageBoxes().empty());
    EXPECT_EQ(LogAfterBanner(), LogEntry("Call for page: 127.0.0.1#########/stat1.htm") + LogEntry(page.get()));
}

TEST_F(PageFetchTest, LongerPageIsCutWithTheOverrunBox)
{
    std::unique_ptr<char[]> page = FetchStatusPage({"--reply", "stat1=size=20000"});
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(std::strlen(page.get()), 19999u);
    EXPECT_EQ(m_host.MessageBoxes(), std::vector<HostEvent>{BoxEvent("File Overan buffer -- not cached",
                                                                     AfxGetAppName(), MessageIcon::Exclamation)});
}

TEST_F(PageFetchTest, EmptyPageIsAnEmptyTextNotAFailure)
{
    std::unique_ptr<char[]> page = FetchStatusPage({"--reply", "stat1=empty"});
    ASSERT_NE(page, nullptr);
    EXPECT_STREQ(page.get(), "");
    EXPECT_EQ(LogAfterBanner(), LogEntry("Call for page: 127.0.0.1#########/stat1.htm") + LogEntry(""));
}

TEST_F(PageFetchTest, ErrorPageIsStillThePage)
{
    std::unique_ptr<char[]> page = FetchStatusPage({"--reply", "stat1=error-page"});
    ASSERT_NE(page, nullptr);
    EXPECT_GT(std::strlen(page.get()), 0u);
}

TEST_F(PageFetchTest, UnresolvableNameShowsThePlatformTextAndLogsOnlyTheRequest)
{
    StartWizard();
    std::unique_ptr<char[]> page = FetchPage(0, "no-such-device.invalid", "", "", "/stat1.htm");
    EXPECT_EQ(page, nullptr);
    EXPECT_EQ(m_host.MessageBoxes(),
              std::vector<HostEvent>{BoxEvent("The server name or address could not be resolved", AfxGetAppName(),
                                              MessageIcon::Exclamation)});
    EXPECT_EQ(LogAfterBanner(), LogEntry("Call for page: no-such-device.invalid#########/stat1.htm"));
}

// The failure reaches the listener before its box is up, with where the
// connection failed and why.
TEST_F(PageFetchTest, RefusedConnectionShowsThePlatformText)
{
    StartDevice();
    const int closed = Device().FtpPort();  // nothing listens there yet
    m_env.Set("NDXU_HTTP_PORT", std::to_string(closed));
    StartWizard();
    std::vector<FetchFailure> told;
    std::size_t boxesWhenTold = 1;
    EXPECT_EQ(FetchPage(0, kDeviceAddress, "", "", "/stat1.htm",
                        [&](const FetchFailure& failure) {
                            told.push_back(failure);
                            boxesWhenTold = m_host.MessageBoxes().size();
                        }),
              nullptr);
    ASSERT_EQ(m_host.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_host.MessageBoxes()[0].text, "A connection with the server could not be established");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(boxesWhenTold, 0u);
    EXPECT_EQ(told[0].shown, "A connection with the server could not be established");
    EXPECT_EQ(told[0].code, static_cast<unsigned long>(ERROR_INTERNET_CANNOT_CONNECT));
    EXPECT_EQ(told[0].detail, "127.0.0.1 port " + std::to_string(closed) + ": Connection refused");
}

TEST_F(PageFetchTest, SilentDeviceEndsTheRequestWithinTheTimeOut)
{
    StartDevice({"--reply", "stat1=silent"});
    m_env.Set("NDXU_RECEIVE_TIMEOUT", "1");
    StartWizard();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(FetchPage(0, kDeviceAddress, "", "", "/stat1.htm"), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_EQ(m_host.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_host.MessageBoxes()[0].text, "The operation timed out");
}

TEST_F(PageFetchTest, HugePageIsCutWithoutHoldingItInMemory)
{
    long before = ResidentKilobytes();
    auto start = std::chrono::steady_clock::now();
    std::unique_ptr<char[]> page = FetchStatusPage({"--reply", "stat1=huge=1000000000"});
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(std::strlen(page.get()), 19999u);
    EXPECT_EQ(m_host.MessageBoxes().size(), 1u);
    EXPECT_LT(ResidentKilobytes() - before, 32 * 1024);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
