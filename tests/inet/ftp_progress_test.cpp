// SPDX-License-Identifier: MIT
// The progress of FTP transfers told to the session's status callback, and
// the window kept painted through the layer's paint callback while they run.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/inet/paint_pacer.h"
#include "tests/inet/ftp_fixture.h"

namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t kSize = 600 * 1024;
constexpr DWORD_PTR kContext = 42;
const std::vector<std::string> kThrottled = {"--throttle", "200000"};

// One transfer of "big.bin" (kSize bytes) on a session with status
// notifications on or off, with a paint callback set or not.
struct ProgressCase {
    const char* id;
    bool upload;
    std::vector<std::string> device;
    bool notifications;
    bool painter;
    bool succeeds;
    const char* hiddenByWine = nullptr;  // why WinInet under Wine cannot show this, when it cannot
};

const ProgressCase kProgressCases[] = {
    {"ThrottledUploadReportsItsProgress", true, kThrottled, true, true, true,
     "the system takes the whole upload into the send buffer of WinInet's data connection at once (up to 4 MB "
     "under Wine, which has no option to make it smaller), so its progress jumps to the end"},
    {"ThrottledDownloadReportsItsProgress", false, kThrottled, true, true, true},
    {"SessionWithoutNotificationsHearsNothing", true, kThrottled, false, true, true},
    {"RefusedUploadStillEnds", true, {"--stor-fault", "refuse"}, true, true, false},
    {"TransferWithoutAPaintCallbackPaintsNothing", false, kThrottled, true, false, true},
};

void PrintTo(const ProgressCase& row, std::ostream* out) { *out << row.id; }

class FtpProgressTest : public FtpTest, public ::testing::WithParamInterface<ProgressCase> {};

TEST_P(FtpProgressTest, StatusCallbackHearsTheProgressAndTheEnd)
{
    const ProgressCase& row = GetParam();
#ifdef _WIN32
    if (row.hiddenByWine) GTEST_SKIP() << row.hiddenByWine;
#endif
    StartFtpDevice(row.device);
    WriteLargeFile((row.upload ? m_local : Device().FtpRoot()) / "big.bin", kSize);
    if (!row.painter) SetTransferPaintCallback(nullptr);
    m_session.EnableStatusCallback(row.notifications ? TRUE : FALSE);
    std::unique_ptr<CFtpConnection> ftp = Connect();

    BOOL done = FALSE;
    const auto took = TimeOf([&] {
        done = row.upload ? ftp->PutFile(std::string(kProgramDirectory) + "big.bin", "big.bin", 0, kContext)
                          : ftp->GetFile("big.bin", std::string(kProgramDirectory) + "big.bin", FALSE, 0, 0, kContext);
    });
    EXPECT_EQ(done != FALSE, row.succeeds) << ftp->LastFailureReason();
    EXPECT_EQ(Paints() > 0, row.painter);
    EXPECT_EQ(m_host.Paints(), 0);  // the layer never paints through the window layer itself

    const std::vector<StatusCall>& calls = m_session.Calls();
    if (!row.notifications) {
        EXPECT_TRUE(calls.empty());
        return;
    }
    ASSERT_FALSE(calls.empty());
    std::uint64_t before = 0;
    for (const StatusCall& call : calls) {
        EXPECT_EQ(call.context, kContext);
        EXPECT_EQ(call.length, sizeof(InternetTransferProgress));
        EXPECT_EQ(call.info.remoteName, "big.bin");
        EXPECT_EQ(call.info.upload, row.upload);
        EXPECT_GE(call.info.done, before);
        before = call.info.done;
    }
    const auto ended = std::count_if(calls.begin(), calls.end(),
                                     [](const StatusCall& call) { return call.status == INTERNET_STATUS_TRANSFER_ENDED; });
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(calls.back().status, INTERNET_STATUS_TRANSFER_ENDED);
    if (!row.succeeds) {
        EXPECT_LT(calls.back().info.done, kSize);
        return;
    }
    const std::size_t progress = calls.size() - 1;
    const double seconds = std::chrono::duration<double>(took).count();
    EXPECT_GE(progress, 3u);
    EXPECT_LE(static_cast<double>(progress), seconds * 10 + 2) << "in " << seconds << " s";
    const InternetTransferProgress& last = calls[progress - 1].info;
    EXPECT_EQ(last.done, kSize);
    EXPECT_EQ(last.total, kSize);
    EXPECT_EQ(calls.back().info.done, kSize);
    EXPECT_EQ(calls.back().info.total, kSize);
}

INSTANTIATE_TEST_SUITE_P(Transfers, FtpProgressTest, ::testing::ValuesIn(kProgressCases),
                         [](const ::testing::TestParamInfo<ProgressCase>& row) { return row.param.id; });

// What the status callback throws ends the transfer and comes out of
// PutFile; the connection stays usable, on a fresh login.
TEST_F(FtpTest, ThrowingStatusCallbackStopsTheTransfer)
{
    StartFtpDevice(kThrottled);
    WriteLargeFile(m_local / "big.bin", kSize);
    m_session.EnableStatusCallback(TRUE);
    m_session.ThrowFromCall(2);
    std::unique_ptr<CFtpConnection> ftp = Connect();
    EXPECT_LT(TimeOf([&] {
                  EXPECT_THROW(ftp->PutFile(std::string(kProgramDirectory) + "big.bin", "big.bin"), std::runtime_error);
              }),
              2s);
    m_session.ThrowFromCall(0);
    EXPECT_TRUE(ftp->GetFile("prof.bin", std::string(kProgramDirectory) + "prof.bin", FALSE));
    ftp->Close();
    const std::vector<std::string> transcript = Transcript();
    EXPECT_EQ(std::count(transcript.begin(), transcript.end(), "USER anonymous"), 2);
    EXPECT_EQ(transcript.back(), "QUIT");
}

}  // namespace
