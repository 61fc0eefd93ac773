// SPDX-License-Identifier: MIT
// The exchange with the device's web pages, end to end against the
// simulator: the bytes on the wire, the judgement of every reply, and the
// story of status texts, message boxes and log entries.
#include <gtest/gtest.h>

#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "tests/support/device_fixture.h"

namespace {

std::string LoginRequest(int port, const std::string& password)
{
    std::string body = "Password=" + password + "&Enter=Submit\r\n";
    return "POST /enter.htm HTTP/1.0\r\n"
           "Host: 127.0.0.1:" + std::to_string(port) + "\r\n"
           "User-Agent: run_tests\r\n"
           "Referer: http://127.0.0.1/enter.htm\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\n"
           "Content-Length: " + std::to_string(body.size() - 2) + "\r\n"
           "\r\n" + body;
}

std::string StatusRequest(int port)
{
    return "GET /stat1.htm HTTP/1.0\r\n"
           "Host: 127.0.0.1:" + std::to_string(port) + "\r\n"
           "User-Agent: run_tests\r\n"
           "\r\n";
}

std::string DownloadModeRequest(int port)
{
    return "POST /maintena.htm HTTP/1.0\r\n"
           "Host: 127.0.0.1:" + std::to_string(port) + "\r\n"
           "User-Agent: run_tests\r\n"
           "Referer: http://127.0.0.1/maintena.htm\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\n"
           "Content-Length: 31\r\n"
           "\r\n"
           "B3=Enter+Firmware+Download+Mode";
}

const char kNotFound[] = "Cannot find Halvex LAN Modem named \"127.0.0.1\"";

class WebExchangeTest : public DeviceTest {
protected:
    void Run(const std::string& password, std::vector<std::string> deviceOptions)
    {
        StartDevice(std::move(deviceOptions));
        StartWizard();
        RunWith(kDeviceAddress, password);
    }

    std::vector<std::string> Paths()
    {
        std::vector<std::string> paths;
        for (const HttpRecord& request : Device().HttpRequests()) paths.push_back(request.method + " " + request.path);
        return paths;
    }

};

TEST_F(WebExchangeTest, EmptyPasswordSendsTheExactRequestsOfAllFourExchanges)
{
    Run("", {});
    std::vector<HttpRecord> requests = Device().HttpRequests();
    ASSERT_EQ(requests.size(), 4u);
    int port = Device().HttpPort();
    EXPECT_EQ(requests[0].raw, LoginRequest(port, ""));
    EXPECT_EQ(requests[1].raw, LoginRequest(port, ""));
    EXPECT_EQ(requests[2].raw, StatusRequest(port));
    EXPECT_EQ(requests[3].raw, DownloadModeRequest(port));
    EXPECT_NE(requests[0].raw.find("Content-Length: 22\r\n"), std::string::npos);
}

TEST_F(WebExchangeTest, LongPasswordDeclaresThreeDigitLength)
{
    std::string password(79, 'k');
    Run(password, {"--password", password});
    std::vector<HttpRecord> requests = Device().HttpRequests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[0].raw, LoginRequest(Device().HttpPort(), password));
    EXPECT_NE(requests[0].raw.find("Content-Length: 101\r\n"), std::string::npos);
    EXPECT_TRUE(LogHas("Password Recognized"));
}

TEST_F(WebExchangeTest, PasswordIsSentUnencoded)
{
    std::string password = "a&b c=d+e%41";
    Run(password, {"--password", password});
    std::vector<HttpRecord> requests = Device().HttpRequests();
    ASSERT_GE(requests.size(), 4u);
    EXPECT_EQ(requests[1].raw, LoginRequest(Device().HttpPort(), password));
    EXPECT_EQ(requests[3].raw, DownloadModeRequest(Device().HttpPort()));
    EXPECT_TRUE(LogHas("Password Recognized"));
}

TEST_F(WebExchangeTest, WrongPasswordEndsTheRunWithTheApplicationMessage)
{
    Run("guess", {"--password", "secret"});
    EXPECT_EQ(Text(IDC_STATUS), "Incorrect Password entered");
    EXPECT_EQ(m_host.MessageBoxes(),
              std::vector<HostEvent>{BoxEvent(AfxLoadString(IDS_WRONG_PASSWORD_MESSAGE), AfxGetAppName(),
                                              MessageIcon::Exclamation)});
    EXPECT_TRUE(LogHas("Bad Password Entered"));
    EXPECT_TRUE(LogHas("Reason: the device's reply to the login says \"wrong password\""));
    EXPECT_EQ(Paths(), (std::vector<std::string>{"POST /enter.htm", "POST /enter.htm"}));
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::PasswordRefused);
}

TEST_F(WebExchangeTest, GermanRefusalIsAWrongPasswordToo)
{
    Run("guess", {"--password", "secret", "--language", "de"});
    EXPECT_EQ(Text(IDC_STATUS), "Incorrect Password entered");
    EXPECT_TRUE(LogHas("Bad Password Entered"));
    EXPECT_TRUE(LogHas("Reason: the device's reply to the login says \"Kennwort ist falsch\""));
}

TEST_F(WebExchangeTest, FailedOperationEndsTheRunWithItsOwnText)
{
    Run("", {"--reply", "enter2=operation-failed"});
    EXPECT_EQ(Text(IDC_STATUS), "Operatation FAILED returned!");
    EXPECT_EQ(m_host.MessageBoxes(), std::vector<HostEvent>{BoxEvent("Operatation FAILED returned!", AfxGetAppName(),
                                                                     MessageIcon::Exclamation)});
    EXPECT_TRUE(LogHas("Operatation FAILED returned!"));
    EXPECT_TRUE(LogHas("Reason: the device's reply to the login says \"Operation failed\""));
}

TEST_F(WebExchangeTest, WrongPasswordWinsOverFailedOperation)
{
    Run("", {"--reply", "enter2=both-marks"});
    EXPECT_EQ(Text(IDC_STATUS), "Incorrect Password entered");
}

TEST_F(WebExchangeTest, RefusalInCapitalsDoesNotMatch)
{
    Run("", {"--reply", "enter2=capital-refusal"});
    EXPECT_TRUE(LogHas("Password Recognized"));
    EXPECT_TRUE(LogHas("NDXU Version Verified"));
}

TEST_F(WebExchangeTest, FirstLoginReplyIsNotJudged)
{
    Run("", {"--reply", "enter1=wrong-password"});
    EXPECT_TRUE(LogHas("Password Recognized"));
}

TEST_F(WebExchangeTest, VersionMarkCountsOnlyWhereItBeginsANumber)
{
    const std::pair<const char*, bool> versions[] = {
        {"4.5.1", false}, {"15.0", false}, {"2015.3", false}, {"v5.0.3", true}, {"5.1.2", true}};
    for (const auto& [version, verified] : versions) {
        StartDevice({"--reply", std::string("stat1=version=") + version, "--ftp", "off"});
        StartWizard();
        RunWith(kDeviceAddress, "");
        EXPECT_EQ(LogHas("NDXU Version Verified"), verified) << version;
        EXPECT_EQ(LogHas("Device is not an NDXU"), !verified) << version;
        EXPECT_EQ(LogHas("Reason: the status page shows firmware " + std::string(version).substr(version[0] == 'v') +
                         ", not 5.x"),
                  !verified)
            << version;
        EXPECT_EQ(Wizard().LastRunEnd(), verified ? RunEnd::UploadNotStarted : RunEnd::WrongDevice) << version;
        ExitApplication();
        std::filesystem::remove(LogPath());
    }
}

TEST_F(WebExchangeTest, StatusPageWithoutTheMarkNamesTheProduct)
{
    Run("", {"--reply", "stat1=no-version"});
    std::string wrongDevice = "Device is not a Varn Halvex LAN Modem (North America).  Connect to the correct model "
                              "device or cancel the Upgrade Wizard";
    EXPECT_EQ(Text(IDC_STATUS), wrongDevice);
    EXPECT_EQ(m_host.MessageBoxes(),
              std::vector<HostEvent>{BoxEvent(wrongDevice, AfxGetAppName(), MessageIcon::None)});
    EXPECT_TRUE(LogHas("Device is not an NDXU"));
    EXPECT_TRUE(LogHas("Reason: no firmware version can be read from the status page, so it is no 5.x device"));
    EXPECT_EQ(Wizard().LastRun().failure.reason,
              "no firmware version can be read from the status page, so it is no 5.x device");
    EXPECT_FALSE(LogHas(wrongDevice));
    EXPECT_EQ(Paths().size(), 3u);
}

TEST_F(WebExchangeTest, FirstLoginWithoutReplyMeansTheSecondIsNotSent)
{
    Run("", {"--reply", "enter1=close"});
    EXPECT_EQ(Paths(), std::vector<std::string>{"POST /enter.htm"});
    EXPECT_EQ(Text(IDC_STATUS), kNotFound);
    EXPECT_TRUE(LogText().ends_with(LogEntry(kNotFound)));
    ASSERT_EQ(m_host.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_host.MessageBoxes()[0].text, "The connection with the server was terminated abnormally");
}

TEST_F(WebExchangeTest, DownloadModeWithoutReplyShowsTheNotFoundTextWithoutALogLine)
{
    Run("", {"--reply", "maintena=close"});
    EXPECT_EQ(Text(IDC_STATUS), kNotFound);
    EXPECT_FALSE(LogHas(kNotFound));
    EXPECT_FALSE(LogHas("FTP Server Started"));
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::DownloadModeRefused);
}

TEST_F(WebExchangeTest, StatusPageWithoutReplyIsLoggedThenShown)
{
    Run("", {"--reply", "stat1=close"});
    EXPECT_EQ(Text(IDC_STATUS), kNotFound);
    EXPECT_TRUE(LogText().ends_with(LogEntry(kNotFound)));
    std::vector<std::string> statuses = m_host.Statuses();
    EXPECT_EQ(statuses.back(), kNotFound);
    EXPECT_EQ(statuses[statuses.size() - 2], "Checking version of NDXU");
}

TEST_F(WebExchangeTest, WholeExchangeLeavesThisLogAndNoPassword)
{
    std::string password = "s3cr&t pass";
    Run(password, {"--password", password, "--ftp", "off"});
    std::string headers = "Referer: http://127.0.0.1/enter.htm\nContent-Type: application/x-www-form-urlencoded\n"
                          "Content-Length: 33\n";
    // sha256 of the fixture's image, 4096 bytes of 'Z'.
    const std::string digest = "f302957da5220938a7e3e51a8718c79b9e00dc13ab2119e8cfc978f041720382";
    std::string expectedStart =
        LogEntry("Continue Button Pushed") + LogEntry("Server Specified: 127.0.0.1") +
        LogEntry("Package Not Signed: no trusted key is installed") +
        LogEntry("Package Version: 5.1.2 (from the program's texts)") + LogEntry(headers) +
        LogEntry("Call for page: 127.0.0.1###" + headers + "###Password=********&Enter=Submit\r\n###/enter.htm");
    std::string log = LogText();
    std::size_t start = log.find(LogEntry("Continue Button Pushed"));
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(log.substr(start, expectedStart.size()), expectedStart);
    EXPECT_EQ(log.find(password), std::string::npos);
    EXPECT_EQ(log.find("s3cr"), std::string::npos);

    for (const char* entry : {"Password Recognized", "NDXU Version Verified", "FTP Server Started",
                              "Opening FTP Session..."})
        EXPECT_TRUE(LogHas(entry)) << entry;
    EXPECT_NE(log.find(LogEntry("Call for page: 127.0.0.1#########/stat1.htm")), std::string::npos);
    // The image's digest is computed while the device is asked, and judged
    // before it is switched into download mode, as the window logs the
    // versions it weighs.
    const std::string beforeDownloadMode = LogEntry("NDXU Version Verified") +
                                           LogEntry("Image SHA-256: " + digest + " (fw512000.bin)") +
                                           LogEntry("Firmware Version: 5.0.3") +
                                           "******Call for page: 127.0.0.1###Referer: http://127.0.0.1/maintena.htm";
    EXPECT_NE(log.find(beforeDownloadMode), std::string::npos) << log;
}

TEST_F(WebExchangeTest, StatusTextsFollowThePhases)
{
    Run("", {"--ftp", "off"});
    std::vector<std::string> expected = {"Attempting to connect to LAN Modem", "Password Recognized",
                                         "Checking version of NDXU",           "NDXU Version Verified",
                                         "Starting LAN Modem FTP server",      "FTP Server Started",
                                         "Opening FTP Session..."};
    EXPECT_EQ(m_host.Statuses(), expected);
}

TEST_F(WebExchangeTest, PressingContinueAgainRepeatsEveryPhase)
{
    Run("guess", {"--password", "secret"});
    RunWith(kDeviceAddress, "guess");
    EXPECT_EQ(Paths().size(), 4u);
    std::string log = LogText();
    std::size_t first = log.find(LogEntry("Continue Button Pushed"));
    EXPECT_NE(log.find(LogEntry("Continue Button Pushed"), first + 1), std::string::npos);
}

}  // namespace
