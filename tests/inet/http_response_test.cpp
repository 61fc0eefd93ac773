// SPDX-License-Identifier: MIT
// Reading the response body: counts, the end, large pages, and memory.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/inet/http_connection.h"
#include "platform/inet/internet_session.h"
#include "tests/inet/inet_test_support.h"

namespace {

using namespace std::chrono_literals;

constexpr UINT kPageBytes = 19999;
constexpr UINT kProbeBytes = 9;
constexpr std::uint64_t kLargeBody = 200ull * 1024 * 1024;

std::string Filler(std::uint64_t from, std::size_t count)
{
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) bytes[i] = FillerByte(from + i);
    return bytes;
}

bool MatchesFiller(const char* data, std::size_t count, std::uint64_t from)
{
    for (std::size_t i = 0; i < count; ++i)
        if (data[i] != FillerByte(from + i)) return false;
    return true;
}

std::string LengthHead(std::uint64_t length)
{
    return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

class HttpResponseTest : public InetTest {
protected:
    // Starts the device answering the status page with `reply`, then
    // `filler` bytes, sends a GET of it and returns the request, its
    // response begun.
    std::unique_ptr<CHttpFile> Get(const std::string& reply, std::uint64_t filler = 0)
    {
        StartDevice({"--reply", RawReply("stat1", reply, filler)});
        m_connection = m_session.GetHttpConnection("127.0.0.1", Device().HttpPort());
        std::unique_ptr<CHttpFile> request = m_connection->OpenRequest(HTTP_VERB_GET, "/stat1.htm");
        request->SendRequest("", 0, nullptr, 0);
        return request;
    }

    std::string ReadString(CHttpFile& request, UINT count)
    {
        std::string bytes(count, '\0');
        bytes.resize(request.Read(bytes.data(), count));
        return bytes;
    }

    CInternetSession m_session{"test agent"};
    std::unique_ptr<CHttpConnection> m_connection;
};

TEST_F(HttpResponseTest, ReadGivesTheFullCountThenTheRestThenNothing)
{
    std::unique_ptr<CHttpFile> request = Get("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n0123456789");
    EXPECT_EQ(ReadString(*request, 4), "0123");
    EXPECT_EQ(ReadString(*request, 100), "456789");
    EXPECT_EQ(ReadString(*request, 100), "");
    EXPECT_EQ(ReadString(*request, 100), "");
}

TEST_F(HttpResponseTest, BodyWithoutLengthEndsWhenTheServerCloses)
{
    std::unique_ptr<CHttpFile> request = Get("HTTP/1.0 200 OK\r\n\r\n", 150000);
    EXPECT_EQ(ReadString(*request, kPageBytes), Filler(0, kPageBytes));
    EXPECT_EQ(ReadString(*request, 200000), Filler(kPageBytes, 150000 - kPageBytes));
    EXPECT_EQ(ReadString(*request, kProbeBytes), "");
}

TEST_F(HttpResponseTest, PageOfExactly19999BytesLeavesNothingForTheProbe)
{
    std::unique_ptr<CHttpFile> request = Get(LengthHead(kPageBytes), kPageBytes);
    EXPECT_EQ(ReadString(*request, kPageBytes), Filler(0, kPageBytes));
    EXPECT_EQ(ReadString(*request, kProbeBytes), "");
}

TEST_F(HttpResponseTest, ErrorPageIsReadLikeAnyPage)
{
    std::unique_ptr<CHttpFile> request = Get("HTTP/1.0 404 Not Found\r\n\r\n<html>missing</html>");
    EXPECT_EQ(ReadString(*request, kPageBytes), "<html>missing</html>");
}

TEST_F(HttpResponseTest, CloseDuringALargePageEndsItAtOnce)
{
    std::unique_ptr<CHttpFile> request = Get(LengthHead(kLargeBody), kLargeBody);
    EXPECT_EQ(ReadString(*request, kPageBytes), Filler(0, kPageBytes));
    EXPECT_EQ(ReadString(*request, kProbeBytes), Filler(kPageBytes, kProbeBytes));
    EXPECT_LT(TimeOf([&] { request->Close(); }), 500ms);
}

// The memory figures start once the response has begun, so that what the
// first request of the process sets up once does not count; a pause then
// lets the device fill the socket buffers, so that the first Read meets a
// burst of megabytes.
TEST_F(HttpResponseTest, WholeLargePageStreamsThroughBoundedMemory)
{
    // Reads far larger than the layer's buffer: it pauses and resumes.
    std::vector<char> chunk(8 * 1024 * 1024);
    std::unique_ptr<CHttpFile> request = Get(LengthHead(kLargeBody), kLargeBody);
    std::this_thread::sleep_for(300ms);
    ResetPeakMemory();
    const long before = CurrentMemoryKiB();
    std::uint64_t total = 0;
    bool intact = true;
    while (UINT got = request->Read(chunk.data(), static_cast<UINT>(chunk.size()))) {
        intact = intact && MatchesFiller(chunk.data(), got, total);
        total += got;
    }
    const long growth = PeakMemoryKiB() - before;
    request->Close();
    RecordProperty("PeakGrowthKiB", std::to_string(growth));
    EXPECT_EQ(total, kLargeBody);
    EXPECT_TRUE(intact);
    if (kMemoryLimitsHold) {
        EXPECT_LT(growth, 1024);
    }
}

TEST_F(HttpResponseTest, UnreadBodyWaitsLongerThanTheReceiveTimeout)
{
    SetEnv("NDXU_RECEIVE_TIMEOUT", "1");
    constexpr std::uint64_t kBody = 4 * 1024 * 1024;
    std::unique_ptr<CHttpFile> request = Get(LengthHead(kBody), kBody);
    EXPECT_EQ(ReadString(*request, 10), Filler(0, 10));
    std::this_thread::sleep_for(1500ms);
    std::vector<char> rest(kBody);
    EXPECT_EQ(request->Read(rest.data(), static_cast<UINT>(rest.size())), kBody - 10);
    EXPECT_EQ(std::string_view(rest.data(), 1000), Filler(10, 1000));
}

}  // namespace
