// SPDX-License-Identifier: MIT
// Requests that fail: names, connections, silent, slow or broken devices,
// and the text the user is shown.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <ostream>
#include <vector>

#include "platform/inet/http_connection.h"
#include "platform/inet/internet_session.h"
#include "platform/ui/win_app.h"
#include "tests/inet/inet_test_support.h"

namespace {

using namespace std::chrono_literals;

constexpr char kCutHead[] = "HTTP/1.0 200 OK\r\nContent-Ty";

class HttpFailureTest : public InetTest {
protected:
    // Opens a GET of /stat1.htm on `server`:`port`.
    std::unique_ptr<CHttpFile> Open(const std::string& server, int port)
    {
        m_connection = m_session.GetHttpConnection(server, port);
        return m_connection->OpenRequest(HTTP_VERB_GET, "/stat1.htm");
    }

    static DWORD SendFails(CHttpFile& request, std::string* text = nullptr, std::string* detail = nullptr)
    {
        return CodeThrownBy([&request] { request.SendRequest("", 0, nullptr, 0); }, text, detail);
    }

    CInternetSession m_session{"test agent"};
    std::unique_ptr<CHttpConnection> m_connection;
};

// One way a device fails a request: what the status page answers, the
// settings, where the failure shows (SendRequest, or Read once the response
// has begun), its code, and how long it may take.
struct Failure {
    const char* id;
    std::string reply;  // the simulator's KIND for the status page
    std::map<std::string, std::string> env;
    bool inRead;
    DWORD code;
    std::chrono::milliseconds atLeast;
    std::chrono::milliseconds below;
    const char* hiddenByWine = nullptr;  // why WinInet under Wine cannot tell this failure, when it cannot
};

void PrintTo(const Failure& failure, std::ostream* out) { *out << failure.id; }

const Failure kFailures[] = {
    {"SilentDeviceEndsOnTheReceiveTimeout", "silent", {{"NDXU_RECEIVE_TIMEOUT", "1"}}, false,
     ERROR_INTERNET_TIMEOUT, 900ms, 3s},
    {"CloseWithoutAReplyAborts", "close", {}, false, ERROR_INTERNET_CONNECTION_ABORTED, 0ms, 2s},
    {"ResetWithoutAReplyIsAReset", RawKind("", 0, RawEnd::Reset), {}, false, ERROR_INTERNET_CONNECTION_RESET, 0ms,
     2s, "Wine's WinInet reports a connection reset before the reply as aborted (12030), as it does a closed one"},
    {"HeaderBlockCutOffIsNoReply", "cut-headers", {}, false, ERROR_HTTP_INVALID_SERVER_RESPONSE, 0ms, 2s},
    {"StatusLineAloneIsNoReply", RawKind("HTTP/1.0 200 OK\r\n"), {}, false, ERROR_HTTP_INVALID_SERVER_RESPONSE, 0ms,
     2s},
    {"HeaderBlockCutOffThenSilenceEndsOnTheReceiveTimeout", RawKind(kCutHead, 0, RawEnd::Stall),
     {{"NDXU_RECEIVE_TIMEOUT", "1"}}, false, ERROR_INTERNET_TIMEOUT, 900ms, 3s},
    {"NoStatusLineIsNoReply", RawKind("<html>hello</html>\r\n\r\n"), {}, false, ERROR_HTTP_INVALID_SERVER_RESPONSE,
     0ms, 2s, "Wine's WinInet puts \"HTTP/1.0 200 OK\" in place of a first line that is no status line"},
    {"StatusLineWithoutACodeIsNoReply", RawKind("HTTP/1.0 abc\r\n\r\n"), {}, false,
     ERROR_HTTP_INVALID_SERVER_RESPONSE, 0ms, 2s},
    {"BodyCutShortAbortsTheRead", RawKind("HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n", 1000), {}, true,
     ERROR_INTERNET_CONNECTION_ABORTED, 0ms, 2s},
    {"StalledBodyEndsOnTheReceiveTimeout",
     RawKind("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n", 1000, RawEnd::Stall),
     {{"NDXU_RECEIVE_TIMEOUT", "1"}}, true, ERROR_INTERNET_TIMEOUT, 900ms, 3s},
    {"DrippingBodyEndsOnTheExchangeTimeout", "drip=0.2", {{"NDXU_EXCHANGE_TIMEOUT", "2"}}, true,
     ERROR_INTERNET_TIMEOUT, 1900ms, 4s},
    {"SlowReplyEndsOnTheExchangeTimeout", "slow=30", {{"NDXU_EXCHANGE_TIMEOUT", "1"}}, false, ERROR_INTERNET_TIMEOUT,
     900ms, 3s},
};

class HttpFailureTableTest : public HttpFailureTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(HttpFailureTableTest, FailsTheRequestWithItsCodeInTime)
{
    const Failure& failure = GetParam();
#ifdef _WIN32
    if (failure.hiddenByWine) GTEST_SKIP() << failure.hiddenByWine;
#endif
    SetEnv(failure.env);
    StartDevice({"--reply", "stat1=" + failure.reply});
    std::unique_ptr<CHttpFile> request = Open("127.0.0.1", Device().HttpPort());
    DWORD code = 0;
    const auto waited = TimeOf([&] {
        if (!failure.inRead) {
            code = SendFails(*request);
            return;
        }
        ASSERT_EQ(SendFails(*request), 0u);
        char page[19999];
        code = CodeThrownBy([&] { request->Read(page, sizeof page); });
    });
    EXPECT_EQ(code, failure.code);
    EXPECT_GE(waited, failure.atLeast);
    EXPECT_LT(waited, failure.below);
}

INSTANTIATE_TEST_SUITE_P(Failures, HttpFailureTableTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<Failure>& row) { return row.param.id; });

TEST_F(HttpFailureTest, UnresolvableNameFailsWithItsTextInAnApplicationBox)
{
    std::unique_ptr<CHttpFile> request = Open("no-such-device.invalid", 80);
    try {
        request->SendRequest("", 0, nullptr, 0);
        FAIL() << "the request went through";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.m_dwError, ERROR_INTERNET_NAME_NOT_RESOLVED);
        EXPECT_EQ(e.Detail(), "no-such-device.invalid: name not resolved");
        e.ReportError();
    }
    const std::vector<HostEvent> expected = {
        BoxEvent("The server name or address could not be resolved", AfxGetAppName(), MessageIcon::Exclamation)};
    EXPECT_EQ(m_host.MessageBoxes(), expected);
}

// The platform's texts, and the detail that says where a connection failed.
TEST_F(HttpFailureTest, FailuresCarryThePlatformsTexts)
{
    const int closed = ClosedPort();
    std::unique_ptr<CHttpFile> refused = Open("127.0.0.1", closed);
    std::string text;
    std::string detail;
    EXPECT_EQ(SendFails(*refused, &text, &detail), ERROR_INTERNET_CANNOT_CONNECT);
    EXPECT_EQ(text, "A connection with the server could not be established");
    EXPECT_EQ(detail, "127.0.0.1 port " + std::to_string(closed) + ": " + kRefusedReason);

    StartDevice({"--reply", "stat1=cut-headers"});
    std::unique_ptr<CHttpFile> cut = Open("127.0.0.1", Device().HttpPort());
    EXPECT_EQ(SendFails(*cut, &text, &detail), ERROR_HTTP_INVALID_SERVER_RESPONSE);
    EXPECT_EQ(text, "The server returned an invalid or unrecognized response");
    EXPECT_EQ(detail, "");
}

TEST_F(HttpFailureTest, CodeWithoutTextReportsThatNoMessageIsAvailable)
{
    CInternetException(ERROR_INTERNET_INTERNAL_ERROR).ReportError();
    const std::vector<HostEvent> expected = {
        BoxEvent("No error message is available.", AfxGetAppName(), MessageIcon::Exclamation)};
    EXPECT_EQ(m_host.MessageBoxes(), expected);
}

TEST_F(HttpFailureTest, SilentDeviceTimesOutWhileTheWindowIsKeptPainted)
{
    SetEnv("NDXU_RECEIVE_TIMEOUT", "1");
    StartDevice({"--reply", "stat1=silent"});
    std::unique_ptr<CHttpFile> request = Open("127.0.0.1", Device().HttpPort());
    std::string detail;
    EXPECT_EQ(SendFails(*request, nullptr, &detail), ERROR_INTERNET_TIMEOUT);
    EXPECT_EQ(detail, "127.0.0.1 port " + std::to_string(Device().HttpPort()) + ": " + kTimedOutReason);
    EXPECT_GE(Paints(), 5);
    EXPECT_LE(Paints(), 25);
}

TEST_F(HttpFailureTest, ConnectTimeoutBoundsAConnectionThatIsNeverTaken)
{
    SetEnv("NDXU_CONNECT_TIMEOUT", "1");
    SetEnv("NDXU_RECEIVE_TIMEOUT", "30");
    // A listener with a full queue of waiting connections drops new ones.
    const LoopbackSocket listener = LoopbackSocket::Listening(0);
    const LoopbackSocket waiting = LoopbackSocket::ConnectedTo(listener.Port());

    std::unique_ptr<CHttpFile> request = Open("127.0.0.1", listener.Port());
    DWORD code = 0;
    EXPECT_LT(TimeOf([&] { code = SendFails(*request); }), 5s);
    EXPECT_EQ(code, ERROR_INTERNET_TIMEOUT);
}

// Every name carries the device's address and port, so that anything passed
// on to the transfer library would reach it.
TEST_F(HttpFailureTest, NameThatIsNotAHostNameFailsBeforeAnythingIsSent)
{
    StartDevice();
    const int port = Device().HttpPort();
    const std::string address = "127.0.0.1:" + std::to_string(port);
    const std::string names[] = {address,
                                 address + "/x",
                                 address + "/\r\nX-Injected: 1",
                                 address + "\n",
                                 "127.0.0.1\r\n:" + std::to_string(port),
                                 "user@" + address,
                                 address + "?x",
                                 address + "#x",
                                 address + "\\x",
                                 address + " ",
                                 address + "%20",
                                 "[" + address + "]",
                                 "[127.0.0.1]",
                                 "evil.com/x",
                                 ""};
    for (const std::string& name : names) {
        std::unique_ptr<CHttpFile> request = Open(name, port);
        std::string detail;
        EXPECT_EQ(SendFails(*request, nullptr, &detail), ERROR_INTERNET_NAME_NOT_RESOLVED) << name;
        EXPECT_EQ(detail, name + ": name not resolved");
    }
    EXPECT_TRUE(Device().HttpRequests().empty());
}

TEST_F(HttpFailureTest, HostNamesAndAddressesWork)
{
    StartDevice({"--reply", RawReply("stat1", "HTTP/1.0 200 OK\r\n\r\nok")});
    for (const std::string name : {"127.0.0.1", "localhost"}) {
        std::unique_ptr<CHttpFile> request = Open(name, Device().HttpPort());
        request->SendRequest("", 0, nullptr, 0);
        char page[4] = {};
        EXPECT_EQ(request->Read(page, 3), 2u) << name;
        request->Close();
    }
    EXPECT_EQ(Device().HttpRequests().size(), 2u);
}

TEST_F(HttpFailureTest, Ipv6AddressesWorkBareAndInBrackets)
{
    try {
        StartDevice({"--host", "::1", "--reply", RawReply("stat1", "HTTP/1.0 200 OK\r\n\r\nok")});
    } catch (const std::runtime_error& e) {
        GTEST_SKIP() << "no IPv6 loopback here: " << e.what();
    }
    for (const std::string name : {"::1", "[::1]"}) {
        std::unique_ptr<CHttpFile> request = Open(name, Device().HttpPort());
        request->SendRequest("", 0, nullptr, 0);
        char page[4] = {};
        EXPECT_EQ(request->Read(page, 3), 2u) << name;
        request->Close();
    }
    const std::vector<HttpRecord> requests = Device().HttpRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].raw.find("Host: [::1]:"), std::string::npos) << requests[0].raw;
}

}  // namespace
