// FTP sessions against the test FTP server: login, active mode, transfers
// and their failures.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "platform/inet/ftp_connection.h"
#include "platform/inet/internet_session.h"
#include "tests/inet/ftp_server_process.h"
#include "tests/inet/inet_test_support.h"
#include "tests/inet/loopback_server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr char kProgramDirectory[] = "C:\\varn\\ndxu511";
constexpr char kBackup[] = "C:\\varn\\ndxu511\\profback.bin";

std::string BinaryBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

// Writes `size` bytes of FillerByte to `path` in pieces.
void WriteFillerFile(const std::filesystem::path& path, std::uint64_t size)
{
    std::ofstream out(path, std::ios::binary);
    std::string piece(1 << 20, '\0');
    for (std::uint64_t offset = 0; offset < size; offset += piece.size()) {
        for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = FillerByte(offset + i);
        out.write(piece.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(piece.size(), size - offset)));
    }
}

bool FilesEqual(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::ifstream left(a, std::ios::binary);
    std::ifstream right(b, std::ios::binary);
    std::vector<char> one(1 << 20);
    std::vector<char> two(1 << 20);
    while (left && right) {
        left.read(one.data(), static_cast<std::streamsize>(one.size()));
        right.read(two.data(), static_cast<std::streamsize>(two.size()));
        if (left.gcount() != right.gcount() || !std::equal(one.begin(), one.begin() + left.gcount(), two.begin()))
            return false;
    }
    return left.eof() && right.eof();
}

class FtpTest : public InetTest {
protected:
    void SetUp() override
    {
        InetTest::SetUp();
        SetEnv("NDXU_DRIVE_C", (m_directory.path() / "drive_c").string());
        m_local = m_directory.path() / "drive_c" / "varn" / "ndxu511";
        std::filesystem::create_directories(m_local);
    }

    FtpServerProcess& StartServer(const std::vector<std::string>& options = {})
    {
        m_server = std::make_unique<FtpServerProcess>(m_directory.path(), options);
        return *m_server;
    }

    std::unique_ptr<CFtpConnection> Connect(const char* user = "", const char* password = "", BOOL passive = FALSE)
    {
        return m_session.GetFtpConnection("127.0.0.1", user, password, m_server->Port(), passive);
    }

    // The names in the local directory other than `keep`.
    std::vector<std::string> OtherLocalFiles(const std::string& keep) const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_local))
            if (entry.path().filename() != keep) names.push_back(entry.path().filename().string());
        return names;
    }

    TempDir m_directory;
    std::filesystem::path m_local;
    std::unique_ptr<FtpServerProcess> m_server;
    CInternetSession m_session{"test agent"};
};

TEST_F(FtpTest, AnonymousSessionTransfersInActiveModeOnOneLogin)
{
    FtpServerProcess& server = StartServer();
    const std::string profile = BinaryBytes(70000);
    WriteFileText(server.Root() / "prof.bin", profile);
    WriteFileText(m_local / "prod.bin", BinaryBytes(150000));

    std::unique_ptr<CFtpConnection> ftp = Connect();
    EXPECT_TRUE(ftp->GetFile("prof.bin", kBackup, FALSE));
    EXPECT_TRUE(ftp->PutFile(std::string(kProgramDirectory) + "\\prod.bin", "prod.bin"));
    EXPECT_TRUE(ftp->GetFile("prof.bin", std::string(kProgramDirectory) + "\\again.bin", FALSE));
    ftp->Close();

    EXPECT_EQ(ReadFileText(m_local / "profback.bin"), profile);
    EXPECT_EQ(ReadFileText(m_local / "again.bin"), profile);
    EXPECT_EQ(ReadFileText(server.Root() / "prod.bin"), BinaryBytes(150000));
    const std::vector<std::string> commands = server.Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), "USER anonymous");
    EXPECT_EQ(CountVerb(commands, "USER"), 1);
    EXPECT_EQ(CountVerb(commands, "PORT"), 3);
    EXPECT_EQ(CountVerb(commands, "EPRT") + CountVerb(commands, "EPSV") + CountVerb(commands, "PASV"), 0);
    EXPECT_EQ(CountVerb(commands, "TYPE A"), 0);
    EXPECT_EQ(CountVerb(commands, "SIZE"), 0);
    EXPECT_EQ(CountVerb(commands, "RETR prof.bin"), 2);
    EXPECT_EQ(CountVerb(commands, "STOR prod.bin"), 1);
    EXPECT_EQ(commands.back(), "QUIT");
}

TEST_F(FtpTest, NamedUserLogsInWithItsPassword)
{
    FtpServerProcess& server = StartServer();
    std::unique_ptr<CFtpConnection> ftp = Connect("device", "secret");
    ftp->Close();
    const std::vector<std::string> commands = server.Commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[0], "USER device");
    EXPECT_EQ(commands[1], "PASS secret");
}

TEST_F(FtpTest, NullUserAndPasswordLogInAnonymously)
{
    FtpServerProcess& server = StartServer();
    std::unique_ptr<CFtpConnection> ftp = Connect(nullptr, nullptr);
    ftp->Close();
    ASSERT_FALSE(server.Commands().empty());
    EXPECT_EQ(server.Commands().front(), "USER anonymous");
}

TEST_F(FtpTest, PortOfTheEnvironmentServesForTheServicesPort)
{
    FtpServerProcess& server = StartServer();
    SetEnv("NDXU_FTP_PORT", std::to_string(server.Port()));
    for (const int port : {INTERNET_INVALID_PORT_NUMBER, INTERNET_DEFAULT_FTP_PORT})
        m_session.GetFtpConnection("127.0.0.1", "", "", port)->Close();
    EXPECT_EQ(CountVerb(server.Commands(), "USER"), 2);
}

TEST_F(FtpTest, RefusedLoginCarriesTheServerReply)
{
    StartServer({"--refuse-login"});
    try {
        Connect();
        FAIL() << "the login was taken";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.m_dwError, ERROR_INTERNET_EXTENDED_ERROR);
        EXPECT_TRUE(e.GetErrorMessage().starts_with("530 ")) << e.GetErrorMessage();
        e.ReportError();
    }
    ASSERT_EQ(m_host.MessageBoxes().size(), 1u);
    EXPECT_TRUE(m_host.MessageBoxes()[0].text.starts_with("530 "));
}

TEST_F(FtpTest, NothingListeningCannotConnect)
{
    try {
        m_session.GetFtpConnection("127.0.0.1", "", "", ClosedPort());
        FAIL() << "connected";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.m_dwError, ERROR_INTERNET_CANNOT_CONNECT);
    }
}

TEST_F(FtpTest, NameThatIsNotAHostNameIsNeverContacted)
{
    SetEnv("NDXU_RECEIVE_TIMEOUT", "1");  // the listener never greets: a regression fails fast
    LoopbackServer listener({""});
    const std::string address = "127.0.0.1:" + std::to_string(listener.Port());
    for (const std::string& name : {address, address + "/x", "user@" + address, std::string("no-such-device.invalid")}) {
        try {
            m_session.GetFtpConnection(name, "", "", listener.Port());
            ADD_FAILURE() << name << " connected";
        } catch (const CInternetException& e) {
            EXPECT_EQ(e.m_dwError, ERROR_INTERNET_NAME_NOT_RESOLVED) << name;
        }
    }
    EXPECT_EQ(listener.Connections(), 0);
}

TEST_F(FtpTest, MissingRemoteFileLeavesTheLocalFileAsItWas)
{
    StartServer();
    WriteFileText(m_local / "profback.bin", "old profile");
    std::unique_ptr<CFtpConnection> ftp = Connect();
    EXPECT_FALSE(ftp->GetFile("prof.bin", kBackup, FALSE));
    EXPECT_EQ(ReadFileText(m_local / "profback.bin"), "old profile");
    EXPECT_TRUE(OtherLocalFiles("profback.bin").empty());
}

TEST_F(FtpTest, ExistingLocalFileIsKeptWhenAskedTo)
{
    FtpServerProcess& server = StartServer();
    WriteFileText(server.Root() / "prof.bin", "new profile");
    WriteFileText(m_local / "profback.bin", "old profile");
    std::unique_ptr<CFtpConnection> ftp = Connect();
    EXPECT_FALSE(ftp->GetFile("prof.bin", kBackup, TRUE));
    EXPECT_EQ(ReadFileText(m_local / "profback.bin"), "old profile");
    EXPECT_TRUE(ftp->GetFile("prof.bin", kBackup, FALSE));
    EXPECT_EQ(ReadFileText(m_local / "profback.bin"), "new profile");
    EXPECT_TRUE(OtherLocalFiles("profback.bin").empty());
    EXPECT_EQ(CountVerb(server.Commands(), "RETR"), 1);
}

TEST_F(FtpTest, LargeUploadIsStreamedFromDisk)
{
    FtpServerProcess& server = StartServer();
    constexpr std::uint64_t kSize = 64ull * 1024 * 1024;
    WriteFillerFile(m_local / "prod.bin", kSize);
    std::unique_ptr<CFtpConnection> ftp = Connect();
    ResetPeakMemory();
    const long before = CurrentMemoryKiB();
    EXPECT_TRUE(ftp->PutFile(std::string(kProgramDirectory) + "\\prod.bin", "prod.bin"));
    const long growth = PeakMemoryKiB() - before;
    ftp->Close();
    RecordProperty("PeakGrowthKiB", std::to_string(growth));
    if (kMemoryLimitsHold) {
        EXPECT_LT(growth, 4 * 1024);
    }
    EXPECT_TRUE(FilesEqual(m_local / "prod.bin", server.Root() / "prod.bin"));
}

TEST_F(FtpTest, RefusedUploadFailsAndTheSessionGoesOn)
{
    FtpServerProcess& server = StartServer({"--refuse-store"});
    WriteFileText(m_local / "prod.bin", BinaryBytes(1000));
    WriteFileText(server.Root() / "prof.bin", "profile");
    std::unique_ptr<CFtpConnection> ftp = Connect();
    EXPECT_FALSE(ftp->PutFile(std::string(kProgramDirectory) + "\\prod.bin", "prod.bin"));
    EXPECT_TRUE(ftp->GetFile("prof.bin", kBackup, FALSE));
    EXPECT_FALSE(std::filesystem::exists(server.Root() / "prod.bin"));
}

TEST_F(FtpTest, MissingLocalFileIsNotUploaded)
{
    FtpServerProcess& server = StartServer();
    std::unique_ptr<CFtpConnection> ftp = Connect();
    EXPECT_FALSE(ftp->PutFile(std::string(kProgramDirectory) + "\\absent.bin", "absent.bin"));
    ftp->Close();
    EXPECT_EQ(CountVerb(server.Commands(), "STOR"), 0);
}

TEST_F(FtpTest, UploadCutOffMidwayFails)
{
    StartServer({"--drop-upload-after", "1048576"});
    WriteFillerFile(m_local / "prod.bin", 16ull * 1024 * 1024);
    std::unique_ptr<CFtpConnection> ftp = Connect();
    const auto start = Clock::now();
    EXPECT_FALSE(ftp->PutFile(std::string(kProgramDirectory) + "\\prod.bin", "prod.bin"));
    EXPECT_LT(Clock::now() - start, 5s);
}

TEST_F(FtpTest, UploadThatStallsTimesOut)
{
    SetEnv("NDXU_RECEIVE_TIMEOUT", "1");
    StartServer({"--stall-upload-after", "1048576"});
    WriteFillerFile(m_local / "prod.bin", 64ull * 1024 * 1024);
    std::unique_ptr<CFtpConnection> ftp = Connect();
    const auto start = Clock::now();
    EXPECT_FALSE(ftp->PutFile(std::string(kProgramDirectory) + "\\prod.bin", "prod.bin"));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 900ms);
    EXPECT_LT(waited, 5s);
    EXPECT_GT(m_host.Paints(), 0);
}

TEST_F(FtpTest, PassiveModeUsesPasv)
{
    FtpServerProcess& server = StartServer();
    WriteFileText(server.Root() / "prof.bin", "profile");
    std::unique_ptr<CFtpConnection> ftp = Connect("", "", TRUE);
    EXPECT_TRUE(ftp->GetFile("prof.bin", kBackup, FALSE));
    ftp->Close();
    EXPECT_EQ(ReadFileText(m_local / "profback.bin"), "profile");
    EXPECT_EQ(CountVerb(server.Commands(), "PASV"), 1);
    EXPECT_EQ(CountVerb(server.Commands(), "PORT"), 0);
}

TEST_F(FtpTest, ClosedConnectionTransfersNothing)
{
    FtpServerProcess& server = StartServer();
    WriteFileText(server.Root() / "prof.bin", "profile");
    std::unique_ptr<CFtpConnection> ftp = Connect();
    ftp->Close();
    EXPECT_FALSE(ftp->GetFile("prof.bin", kBackup, FALSE));
    EXPECT_FALSE(std::filesystem::exists(m_local / "profback.bin"));
    EXPECT_EQ(server.Commands().back(), "QUIT");
}

TEST_F(FtpTest, CloseIsBoundedWhenQuitGoesUnanswered)
{
    SetEnv("NDXU_RECEIVE_TIMEOUT", "1");
    FtpServerProcess& server = StartServer({"--ignore-quit"});
    std::unique_ptr<CFtpConnection> ftp = Connect();
    const auto start = Clock::now();
    ftp->Close();
    EXPECT_LT(Clock::now() - start, 3s);
    EXPECT_EQ(server.Commands().back(), "QUIT");
}

}  // namespace
