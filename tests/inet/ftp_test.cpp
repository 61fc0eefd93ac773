// SPDX-License-Identifier: MIT
// FTP sessions against the device simulator in download mode: logins,
// active and passive mode, transfers and their failures with their reasons,
// the control connection kept in step, the goodbye, and the local files a
// transfer may touch.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "platform/inet/device_text.h"
#include "tests/inet/ftp_fixture.h"

namespace {

using namespace std::chrono_literals;
using Commands = FtpCommands;

constexpr std::size_t kImageSize = 150000;
const Commands kAnonymousLogin = FtpLogin();
const std::string kFirewallReason =
    "the device did not open the data connection (active FTP); a firewall on this machine may be dropping incoming "
    "connections: allow incoming connections from 127.0.0.1, or use passive FTP (NDXU_FTP_PASSIVE=1)";

// The commands of the first transfer of a login, and of a later one.
Commands First(const std::string& command, const std::string& channel = MaskedPortCommand())
{
    return FtpTransfer(command, true, channel);
}
Commands Next(const std::string& command) { return FtpTransfer(command, false); }

// One transfer of a session and its outcome. A download goes to the local
// file "<remote>.back", an upload is made from the local file "<remote>".
// Every failure has a reason; a success has none.
struct Transfer {
    enum class Kind { Get, Put };
    Kind kind;
    std::string remote;
    bool succeeds;
    DWORD error = 0;       // the failure's code, when it matters
    std::string response;  // the start of the device's last word on a failure, when it matters
    std::string reason;    // the start of the failure's reason, when it matters
};

Transfer Get(const std::string& remote, bool succeeds, DWORD error = 0, const std::string& response = {},
             const std::string& reason = {})
{
    return {Transfer::Kind::Get, remote, succeeds, error, response, reason};
}

Transfer Put(const std::string& remote, bool succeeds, DWORD error = 0, const std::string& response = {},
             const std::string& reason = {})
{
    return {Transfer::Kind::Put, remote, succeeds, error, response, reason};
}

// One session: the device's faults, the settings, the login, the transfers
// made one after the other, the commands the device receives (ports masked)
// and how long the transfers may take together.
struct Session {
    const char* id;
    std::vector<std::string> device;
    std::map<std::string, std::string> env;
    std::vector<Transfer> transfers;
    Commands transcript;
    std::chrono::milliseconds below = 5s;
    std::uint64_t uploadSize = kImageSize;
    const char* user = "";
    const char* password = "";
    BOOL passive = FALSE;
};

const Session kSessions[] = {
    {.id = "TransfersShareOneLogin",
     .device = {},
     .env = {},
     .transfers = {Get("prof.bin", true), Put("prod.bin", true), Get("prod.bin", true)},
     .transcript = FtpSequence({kAnonymousLogin, First("RETR prof.bin"), Next("STOR prod.bin"),
                             Next("RETR prod.bin"), {"QUIT"}})},
    // A refusal keeps the login for the next upload. (A download right after
    // a refused upload, a sequence the program never makes, now and then
    // ends without its data connection; the layer reports that as a failure.)
    {.id = "RefusedUploadKeepsTheLogin",
     .device = {"--stor-fault", "refuse:prod.bin"},
     .env = {},
     .transfers = {Put("prod.bin", false, 0, "552 ", "552 Requested file action aborted: storage full."),
                   Put("boot.bin", true)},
     .transcript = FtpSequence({kAnonymousLogin, First("STOR prod.bin"), Next("STOR boot.bin"), {"QUIT"}})},
    {.id = "MissingRemoteFileKeepsTheLogin",
     .device = {"--no-profile"},
     .env = {},
     .transfers = {Get("prof.bin", false, 0, "550 ", "550 "), Put("prod.bin", true)},
     .transcript = FtpSequence({kAnonymousLogin, First("RETR prof.bin"), Next("STOR prod.bin"), {"QUIT"}})},
    // The device answers RETR with 150, opens no data connection and says
    // 425 only after the client has given up: the upload after it must not
    // take that 425 for its own reply.
    {.id = "LateRefusalOfAnAbandonedDownloadIsNotTheNextReply",
     .device = {"--retr-fault", "late-425", "--late-reply-delay", "2"},
     .env = {{"NDXU_CONNECT_TIMEOUT", "1"}},
     .transfers = {Get("prof.bin", false, 0, "", kFirewallReason), Put("prod.bin", true)},
     .transcript = FtpSequence({kAnonymousLogin, First("RETR prof.bin"), kAnonymousLogin,
                             First("STOR prod.bin"), {"QUIT"}})},
    {.id = "DataConnectionNeverOpenedFailsEachTransfer",
     .device = {"--ftp-fault", "no-data-connection"},
     .env = {{"NDXU_CONNECT_TIMEOUT", "1"}},
     .transfers = {Get("prof.bin", false, 0, "", kFirewallReason), Put("prod.bin", false, 0, "", kFirewallReason)},
     .transcript = FtpSequence({kAnonymousLogin, First("RETR prof.bin"), kAnonymousLogin,
                             First("STOR prod.bin")})},
    {.id = "UploadCutOffFailsAtOnceAndTheNextTransferLogsInAgain",
     .device = {"--stor-fault", "drop", "--fault-after", "1048576"},
     .env = {},
     .transfers = {Put("prod.bin", false, 0, "", "the connection to the device was dropped during the transfer"),
                   Get("prof.bin", true)},
     .transcript = FtpSequence({kAnonymousLogin, First("STOR prod.bin"), kAnonymousLogin,
                             First("RETR prof.bin"), {"QUIT"}}),
     .below = 3s,
     .uploadSize = 16ull << 20},
    {.id = "UploadThatStallsEndsOnTheReceiveTimeout",
     .device = {"--stor-fault", "stall", "--fault-after", "1048576"},
     .env = {{"NDXU_RECEIVE_TIMEOUT", "1"}},
     .transfers = {Put("prod.bin", false, ERROR_INTERNET_TIMEOUT, "",
                       "the transfer timed out: nothing moved for 1 s (NDXU_RECEIVE_TIMEOUT)"),
                   Get("prof.bin", true)},
     .transcript = FtpSequence({kAnonymousLogin, First("STOR prod.bin"), kAnonymousLogin,
                             First("RETR prof.bin"), {"QUIT"}}),
     .below = 4s,
     .uploadSize = 64ull << 20},
    {.id = "DownloadThatStallsEndsOnTheExchangeTimeout",
     .device = {"--retr-fault", "stall:prof.bin"},
     .env = {{"NDXU_EXCHANGE_TIMEOUT", "2"}},
     .transfers = {Get("prof.bin", false, ERROR_INTERNET_TIMEOUT, "",
                       "the transfer timed out: it took longer than 2 s (NDXU_EXCHANGE_TIMEOUT)"),
                   Put("prod.bin", true)},
     .transcript = FtpSequence({kAnonymousLogin, First("RETR prof.bin"), kAnonymousLogin,
                             First("STOR prod.bin"), {"QUIT"}})},
    {.id = "NamedUserLogsInWithItsPassword",
     .device = {"--ftp-user", "device:secret"},
     .env = {},
     .transfers = {Get("prof.bin", true)},
     .transcript = FtpSequence({FtpLogin("device", "secret"), First("RETR prof.bin"), {"QUIT"}}),
     .user = "device",
     .password = "secret"},
    {.id = "PassiveModeAsksForPasv",
     .device = {"--allow-passive"},
     .env = {},
     .transfers = {Get("prof.bin", true)},
     .transcript = FtpSequence({kAnonymousLogin, First("RETR prof.bin", "PASV"), {"QUIT"}}),
     .passive = TRUE},
    {.id = "PassiveModeOfTheEnvironmentOverridesTheCaller",
     .device = {"--allow-passive"},
     .env = {{"NDXU_FTP_PASSIVE", "1"}},
     .transfers = {Put("prod.bin", true)},
     .transcript = FtpSequence({kAnonymousLogin, First("STOR prod.bin", "PASV"), {"QUIT"}})},
    {.id = "PassiveModeRefusedByTheDeviceIsReportedInItsWords",
     .device = {},
     .env = {{"NDXU_FTP_PASSIVE", "1"}},
     .transfers = {Put("prod.bin", false, 0, "502 ", "502 Passive mode not supported.")},
     .transcript = FtpSequence({kAnonymousLogin, FtpChannelRefused("PASV"), {"QUIT"}})},
    {.id = "ActiveModeOfTheEnvironmentLeavesTheCallersPassiveMode",
     .device = {"--allow-passive"},
     .env = {{"NDXU_FTP_PASSIVE", "0"}},
     .transfers = {Put("prod.bin", true)},
     .transcript = FtpSequence({kAnonymousLogin, First("STOR prod.bin", "PASV"), {"QUIT"}}),
     .passive = TRUE},
};

void PrintTo(const Session& session, std::ostream* out) { *out << session.id; }

class FtpSessionTest : public FtpTest, public ::testing::WithParamInterface<Session> {};

TEST_P(FtpSessionTest, TransfersEndAsTheDeviceLetsThemAndTheDeviceSeesThisTranscript)
{
    const Session& session = GetParam();
    SetEnv(session.env);
    StartFtpDevice(session.device);
    for (const Transfer& transfer : session.transfers)
        if (transfer.kind == Transfer::Kind::Put) WriteLargeFile(m_local / transfer.remote, session.uploadSize);

    std::unique_ptr<CFtpConnection> ftp = Connect(session.user, session.password, session.passive);
    const auto waited = TimeOf([&] {
        for (const Transfer& transfer : session.transfers) {
            SCOPED_TRACE(transfer.remote);
            const BOOL done = transfer.kind == Transfer::Kind::Get
                                  ? ftp->GetFile(transfer.remote, kProgramDirectory + transfer.remote + ".back", FALSE)
                                  : ftp->PutFile(kProgramDirectory + transfer.remote, transfer.remote);
            EXPECT_EQ(done != FALSE, transfer.succeeds);
            if (transfer.error) {
                EXPECT_EQ(ftp->LastTransferError(), transfer.error);
            }
            const std::string response = ftp->LastResponse();
            EXPECT_TRUE(transfer.succeeds ? response.empty() : response.starts_with(transfer.response)) << response;
            const std::string reason = ftp->LastFailureReason();
            EXPECT_EQ(reason.empty(), transfer.succeeds) << reason;
            EXPECT_TRUE(reason.starts_with(transfer.reason)) << reason;
            if (!done || !transfer.succeeds) continue;
            if (transfer.kind == Transfer::Kind::Get)
                EXPECT_TRUE(FilesEqual(m_local / (transfer.remote + ".back"), Device().FtpRoot() / transfer.remote));
            else
                EXPECT_TRUE(FilesEqual(m_local / transfer.remote, Device().FtpRoot() / transfer.remote));
        }
    });
    EXPECT_LT(waited, session.below);
    ftp->Close();
    EXPECT_EQ(Transcript(), session.transcript);
}

INSTANTIATE_TEST_SUITE_P(Sessions, FtpSessionTest, ::testing::ValuesIn(kSessions),
                         [](const ::testing::TestParamInfo<Session>& row) { return row.param.id; });

// A login that fails: the device (or what listens in its place), the
// settings, the code and text of the failure, and the commands the device
// received.
struct LoginFailure {
    const char* id;
    enum class Server { Device, NothingListening, QuietListener } server;
    std::vector<std::string> device;
    std::map<std::string, std::string> env;
    DWORD code;
    std::string text;  // the start of the failure's text
    Commands transcript;
    std::string detail = {};  // the failure's detail, "<port>" standing for the port
};

const LoginFailure kLoginFailures[] = {
    {"GreetingOf421IsReportedInTheDevicesWords", LoginFailure::Server::Device,
     {"--download-mode", "--ftp", "greeting-421"}, {}, ERROR_INTERNET_EXTENDED_ERROR,
     "421 Too many connections, try again later.", {}},
    {"RefusedLoginIsReportedInTheDevicesWords", LoginFailure::Server::Device,
     {"--download-mode", "--ftp", "refuse-login"}, {}, ERROR_INTERNET_EXTENDED_ERROR, "530 ",
     {"USER anonymous", "PASS ftp@example.com"}},
    {"DeviceNotInDownloadModeCannotBeReached", LoginFailure::Server::Device, {}, {}, ERROR_INTERNET_CANNOT_CONNECT,
     "A connection with the server could not be established", {},
     "127.0.0.1 port <port>: " + std::string(kRefusedReason)},
    {"NothingListeningCannotBeReached", LoginFailure::Server::NothingListening, {}, {},
     ERROR_INTERNET_CANNOT_CONNECT, "A connection with the server could not be established", {},
     "127.0.0.1 port <port>: " + std::string(kRefusedReason)},
    {"ServerThatNeverGreetsEndsOnTheExchangeTimeout", LoginFailure::Server::QuietListener, {},
     {{"NDXU_EXCHANGE_TIMEOUT", "1"}}, ERROR_INTERNET_TIMEOUT, "The operation timed out", {},
     "127.0.0.1 port <port>: " + std::string(kTimedOutReason)},
};

void PrintTo(const LoginFailure& failure, std::ostream* out) { *out << failure.id; }

class FtpLoginFailureTest : public FtpTest, public ::testing::WithParamInterface<LoginFailure> {};

TEST_P(FtpLoginFailureTest, FailsWithItsCodeAndTextInTime)
{
    const LoginFailure& failure = GetParam();
    SetEnv(failure.env);
    QuietListener quiet;
    int port = quiet.Port();
    if (failure.server == LoginFailure::Server::Device) port = StartDevice(failure.device).FtpPort();
    if (failure.server == LoginFailure::Server::NothingListening) port = ClosedPort();

    std::string text;
    std::string detail;
    DWORD code = 0;
    EXPECT_LT(TimeOf([&] {
                  code = CodeThrownBy([&] { m_session.GetFtpConnection("127.0.0.1", "", "", port); }, &text, &detail);
              }),
              3s);
    EXPECT_EQ(code, failure.code);
    EXPECT_TRUE(text.starts_with(failure.text)) << text;
    std::string expectedDetail = failure.detail;
    if (const std::size_t at = expectedDetail.find("<port>"); at != std::string::npos)
        expectedDetail.replace(at, 6, std::to_string(port));
    EXPECT_EQ(detail, expectedDetail);
    if (m_device) {
        EXPECT_EQ(Transcript(), failure.transcript);
    }
}

INSTANTIATE_TEST_SUITE_P(LoginFailures, FtpLoginFailureTest, ::testing::ValuesIn(kLoginFailures),
                         [](const ::testing::TestParamInfo<LoginFailure>& row) { return row.param.id; });

TEST_F(FtpTest, DevicesRefusalIsShownAsItsOwnText)
{
    StartFtpDevice({"--ftp", "greeting-421"});
    try {
        Connect();
        FAIL() << "the login was taken";
    } catch (const CInternetException& e) {
        e.ReportError();
    }
    ASSERT_EQ(m_host.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_host.MessageBoxes()[0].text, "421 Too many connections, try again later.");

    // The refusal is device text: it passes the program's filter where it
    // enters; the layer's own texts do not.
    SetDeviceTextFilter([](std::string text) {
        const std::size_t at = text.find("many");
        return at == std::string::npos ? text : text.replace(at, 4, "****");
    });
    try {
        Connect();
        FAIL() << "the login was taken";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.GetErrorMessage(), "421 Too **** connections, try again later.");
    }
    SetDeviceTextFilter(nullptr);
}

TEST_F(FtpTest, NullUserAndPasswordAndTheServicesPortLogInAnonymouslyOnTheConfiguredPort)
{
    StartFtpDevice();
    SetEnv("NDXU_FTP_PORT", std::to_string(Device().FtpPort()));
    m_session.GetFtpConnection("127.0.0.1", nullptr, nullptr, INTERNET_INVALID_PORT_NUMBER)->Close();
    m_session.GetFtpConnection("127.0.0.1", "", "", INTERNET_DEFAULT_FTP_PORT)->Close();
    EXPECT_EQ(Transcript(), FtpSequence({kAnonymousLogin, {"QUIT"}, kAnonymousLogin, {"QUIT"}}));
}

TEST_F(FtpTest, NameThatIsNotAHostNameIsNeverContacted)
{
    StartFtpDevice();
    const std::string address = "127.0.0.1:" + std::to_string(Device().FtpPort());
    for (const std::string& name : {address, address + "/x", "user@" + address, std::string("no-such-device.invalid")})
        EXPECT_EQ(CodeThrownBy([&] { m_session.GetFtpConnection(name, "", "", Device().FtpPort()); }),
                  ERROR_INTERNET_NAME_NOT_RESOLVED)
            << name;
    EXPECT_EQ(Transcript(), Commands{});
}

// The device never answers QUIT: the goodbye still ends within a few
// seconds, however long the receive time-out, and the window is painted
// meanwhile.
TEST_F(FtpTest, GoodbyeLeftUnansweredEndsWithinSeconds)
{
    SetEnv("NDXU_RECEIVE_TIMEOUT", "60");
    StartFtpDevice({"--ftp-fault", "quit-unanswered"});
    std::unique_ptr<CFtpConnection> ftp = Connect();
    const int paintsBefore = Paints();
    const auto waited = TimeOf([&] { ftp->Close(); });
    EXPECT_GE(waited, 2500ms);
    EXPECT_LT(waited, 4s);
    EXPECT_GE(Paints() - paintsBefore, 20);
    EXPECT_EQ(Transcript(), FtpSequence({kAnonymousLogin, {"QUIT"}}));
}

TEST_F(FtpTest, AnsweredGoodbyeEndsAtOnceAndAClosedConnectionTransfersNothing)
{
    StartFtpDevice();
    std::unique_ptr<CFtpConnection> ftp = Connect();
    EXPECT_LT(TimeOf([&] { ftp->Close(); }), 1s);
    EXPECT_FALSE(ftp->GetFile("prof.bin", std::string(kProgramDirectory) + "profback.bin", FALSE));
    EXPECT_FALSE(ftp->PutFile(std::string(kProgramDirectory) + "profback.bin", "prof.bin"));
    EXPECT_FALSE(std::filesystem::exists(m_local / "profback.bin"));
    EXPECT_EQ(Transcript(), FtpSequence({kAnonymousLogin, {"QUIT"}}));
}

TEST_F(FtpTest, MissingRemoteFileLeavesTheLocalFileAsItWas)
{
    StartFtpDevice({"--no-profile"});
    WriteFileText(m_local / "profback.bin", "old profile");
    std::unique_ptr<CFtpConnection> ftp = Connect();
    EXPECT_FALSE(ftp->GetFile("prof.bin", std::string(kProgramDirectory) + "profback.bin", FALSE));
    EXPECT_EQ(ReadFileText(m_local / "profback.bin"), "old profile");
    EXPECT_TRUE(OtherLocalFiles("profback.bin").empty());
}

TEST_F(FtpTest, ExistingLocalFileIsKeptWhenAskedTo)
{
    StartFtpDevice();
    WriteFileText(m_local / "profback.bin", "old profile");
    std::unique_ptr<CFtpConnection> ftp = Connect();
    const std::string backup = std::string(kProgramDirectory) + "profback.bin";
    EXPECT_FALSE(ftp->GetFile("prof.bin", backup, TRUE));
    EXPECT_EQ(ftp->LastFailureReason(), (m_local / "profback.bin: File exists").string());
    EXPECT_EQ(ReadFileText(m_local / "profback.bin"), "old profile");
    EXPECT_TRUE(ftp->GetFile("prof.bin", backup, FALSE));
    EXPECT_EQ(ReadFileText(m_local / "profback.bin"), ReadFileText(Device().FtpRoot() / "prof.bin"));
    EXPECT_TRUE(OtherLocalFiles("profback.bin").empty());
    ftp->Close();
    EXPECT_EQ(Transcript(), FtpSequence({kAnonymousLogin, First("RETR prof.bin"), {"QUIT"}}));
}

// A local file that no transfer may use: nothing is sent for it, and what
// it points at stays as it was.
struct UnusableLocalFile {
    const char* id;
    bool upload;
    std::function<void(const std::filesystem::path& local, const std::filesystem::path& elsewhere)> make;
    const char* name;    // below the local directory
    const char* reason;  // the failure's reason, after the local directory's path and "/"
};

const UnusableLocalFile kUnusableLocalFiles[] = {
    {"UploadOfADirectory", true, [](auto& local, auto&) { std::filesystem::create_directory(local / "fw.bin"); },
     "fw.bin", "fw.bin: Is a directory"},
    {"UploadOfAMissingFile", true, [](auto&, auto&) {}, "fw.bin", "fw.bin: No such file or directory"},
// Pipes in the file system are POSIX's; symbolic links on Windows need a
// privilege that neither the tests nor Wine's users have.
#ifndef _WIN32
    {"UploadOfAPipe", true, [](auto& local, auto&) { ASSERT_EQ(mkfifo((local / "fw.bin").c_str(), 0600), 0); },
     "fw.bin", "fw.bin: not a regular file"},
    {"UploadThroughADanglingLink", true,
     [](auto& local, auto& elsewhere) { std::filesystem::create_symlink(elsewhere / "gone.bin", local / "fw.bin"); },
     "fw.bin", "fw.bin: No such file or directory"},
    {"DownloadThroughALink", false,
     [](auto& local, auto& elsewhere) {
         WriteFileText(elsewhere / "kept.bin", "kept");
         std::filesystem::create_symlink(elsewhere / "kept.bin", local / "profback.bin");
     },
     "profback.bin", "profback.bin: a symbolic link"},
#endif
    {"DownloadOverADirectory", false,
     [](auto& local, auto&) { std::filesystem::create_directory(local / "profback.bin"); }, "profback.bin",
     "profback.bin: Is a directory"},
    {"DownloadIntoAFile", false, [](auto& local, auto&) { WriteFileText(local / "notes.txt", "notes"); },
     "notes.txt\\profback.bin", "notes.txt: Not a directory"},
};

void PrintTo(const UnusableLocalFile& file, std::ostream* out) { *out << file.id; }

class FtpLocalFileTest : public FtpTest, public ::testing::WithParamInterface<UnusableLocalFile> {};

TEST_P(FtpLocalFileTest, IsRefusedBeforeAnythingIsSent)
{
    const UnusableLocalFile& file = GetParam();
    const std::filesystem::path elsewhere = m_directory.path() / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    file.make(m_local, elsewhere);
    StartFtpDevice();
    std::unique_ptr<CFtpConnection> ftp = Connect();
    const std::string local = kProgramDirectory + std::string(file.name);
    EXPECT_FALSE(file.upload ? ftp->PutFile(local, "fw.bin") : ftp->GetFile("prof.bin", local, FALSE));
    EXPECT_EQ(ftp->LastFailureReason(), (m_local / file.reason).string());
    ftp->Close();
    EXPECT_EQ(Transcript(), FtpSequence({kAnonymousLogin, {"QUIT"}}));
    EXPECT_FALSE(std::filesystem::exists(Device().FtpRoot() / "fw.bin"));
    if (std::filesystem::exists(elsewhere / "kept.bin")) {
        EXPECT_EQ(ReadFileText(elsewhere / "kept.bin"), "kept");
    }
}

INSTANTIATE_TEST_SUITE_P(LocalFiles, FtpLocalFileTest, ::testing::ValuesIn(kUnusableLocalFiles),
                         [](const ::testing::TestParamInfo<UnusableLocalFile>& row) { return row.param.id; });

TEST_F(FtpTest, LargeUploadIsStreamedFromDisk)
{
    StartFtpDevice();
    constexpr std::uint64_t kSize = 64ull * 1024 * 1024;
    WriteLargeFile(m_local / "prod.bin", kSize);
    std::unique_ptr<CFtpConnection> ftp = Connect();
    ResetPeakMemory();
    const long before = CurrentMemoryKiB();
    EXPECT_TRUE(ftp->PutFile(std::string(kProgramDirectory) + "prod.bin", "prod.bin"));
    const long growth = PeakMemoryKiB() - before;
    ftp->Close();
    RecordProperty("PeakGrowthKiB", std::to_string(growth));
    if (kMemoryLimitsHold) {
        EXPECT_LT(growth, 4 * 1024);
    }
    EXPECT_TRUE(FilesEqual(m_local / "prod.bin", Device().FtpRoot() / "prod.bin"));
}

}  // namespace
