// The console front-end as a user runs it: options, the password's two
// sources, exit statuses, and where statuses and message boxes go.
#include <gtest/gtest.h>

#include "tests/support/devsim.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kNoAddressMessage =
    "You must fill out the Address field of the LAN Modem.  If you do not know what to enter, use the default "
    "of \"\"lanmodem\"\"";

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_dir / "temp");
        WriteFileText(m_dir / "package" / "fw512000.bin", std::string(65536, '\x11'));
        WriteFileText(m_dir / "package" / "ndxuback.txt", "read me\n");
    }

    ProcessResult Run(std::vector<std::string> args, std::map<std::string, std::string> env = {},
                      const std::string& input = {})
    {
        args.insert(args.begin(), NDXU_UPGRADE_EXE);
        env.emplace("TEMP", (m_dir / "temp").string());
        env.emplace("NDXU_DRIVE_C", (m_dir / "drive_c").string());
        env.emplace("NDXU_PASSWORD", "");
        env.emplace("NDXU_CONNECT_TIMEOUT", "5");
        env.emplace("NDXU_RECEIVE_TIMEOUT", "5");
        return RunProcess(args, env, input, (m_dir / "package").string());
    }

    std::vector<std::string> DeviceArgs(const DevSim& sim)
    {
        return {"--address", "127.0.0.1", "--http-port", std::to_string(sim.HttpPort()), "--ftp-port",
                std::to_string(sim.FtpPort())};
    }

    std::string Log() { return ReadFileText(m_dir / "temp" / "ndxulog.txt"); }

    TempDir m_dir;
};

TEST_F(CliTest, HelpNamesTheOptionsAndTheExitStatuses)
{
    ProcessResult result = Run({"--help"});
    EXPECT_EQ(result.exitStatus, 0);
    for (const char* text : {"--address", "--package", "--http-port", "--ftp-port", "--password-stdin",
                             "NDXU_PASSWORD", "Exit status:", "  3  the address or password was refused"})
        EXPECT_NE(result.out.find(text), std::string::npos) << text;
}

TEST_F(CliTest, VersionNamesTheBuild)
{
    ProcessResult result = Run({"--version"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "ndxu-upgrade 5.12 Build 194\n");
}

TEST_F(CliTest, BadUsageHasItsOwnStatus)
{
    EXPECT_EQ(Run({"--no-such-option"}).exitStatus, 2);
    EXPECT_EQ(Run({"--http-port", "70000"}).exitStatus, 2);
    EXPECT_EQ(Run({"--package", (m_dir / "missing").string()}).exitStatus, 2);
    EXPECT_EQ(Run({"--password", "secret"}).exitStatus, 2);
}

TEST_F(CliTest, EmptyAddressIsRefusedOnStandardError)
{
    ProcessResult result = Run({"--address", ""});
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.err, "[ndxu-upgrade] " + kNoAddressMessage + "\n");
    EXPECT_EQ(result.out, "");
    EXPECT_NE(Log().find("******Server Specified: \n"), std::string::npos);
}

TEST_F(CliTest, DefaultAddressRunIsLoggedAndAnnounced)
{
    ProcessResult result = Run({});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_TRUE(result.out.starts_with("Attempting to connect to LAN Modem\n"));
    EXPECT_TRUE(result.out.ends_with("Cannot find Halvex LAN Modem named \"lanmodem\"\n"));
    std::string log = Log();
    EXPECT_NE(log.find("******\n\n\n\nNDXU Upgrade Started - " + kNoAddressMessage + "\n"), std::string::npos);
    EXPECT_NE(log.find("******Continue Button Pushed\n"), std::string::npos);
    EXPECT_NE(log.find("******Server Specified: lanmodem\n"), std::string::npos);
}

TEST_F(CliTest, PasswordComesFromTheEnvironment)
{
    DevSim sim({"--password", "open sesame", "--ftp", "off"});
    ProcessResult result = Run(DeviceArgs(sim), {{"NDXU_PASSWORD", "open sesame"}});
    EXPECT_NE(result.out.find("Password Recognized\n"), std::string::npos) << result.out << result.err;
    EXPECT_EQ(Log().find("open sesame"), std::string::npos);
}

TEST_F(CliTest, PasswordComesFromOneLineOfStandardInput)
{
    DevSim sim({"--password", "open sesame", "--ftp", "off"});
    std::vector<std::string> args = DeviceArgs(sim);
    args.push_back("--password-stdin");
    ProcessResult result = Run(args, {{"NDXU_PASSWORD", "ignored"}}, "open sesame\r\nsecond line\n");
    EXPECT_NE(result.out.find("Password Recognized\n"), std::string::npos) << result.out << result.err;
}

TEST_F(CliTest, RefusedPasswordFailsBeforeTheTransfer)
{
    DevSim sim({"--password", "open sesame"});
    ProcessResult result = Run(DeviceArgs(sim), {{"NDXU_PASSWORD", "guess"}});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_TRUE(result.out.ends_with("Incorrect Password entered\n"));
    EXPECT_NE(result.err.find("[ndxu-upgrade] You have entered an incorrect password."), std::string::npos);
}

TEST_F(CliTest, FtpFailureFailsInTheTransfer)
{
    DevSim sim({"--ftp", "off"});
    ProcessResult result = Run(DeviceArgs(sim));
    EXPECT_EQ(result.exitStatus, 5);
    EXPECT_TRUE(result.out.ends_with("Opening FTP Session...\n"));
    EXPECT_EQ(result.err, "[ndxu-upgrade] A connection with the server could not be established\n");
}

TEST_F(CliTest, UnopenableLogEndsWithoutARun)
{
    ProcessResult result = Run({}, {{"TEMP", (m_dir / "missing").string()}});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, "[ndxu-upgrade] Cannot open logfile\n");
    EXPECT_EQ(result.out, "");
}

}  // namespace
