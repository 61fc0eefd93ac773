// Requests that fail: names, connections, silent or broken servers, and the
// text the user is shown.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

#include "platform/inet/http_connection.h"
#include "platform/inet/internet_session.h"
#include "platform/ui/win_app.h"
#include "tests/inet/inet_test_support.h"
#include "tests/inet/loopback_server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class HttpFailureTest : public InetTest {
protected:
    // Opens a GET of /stat1.htm on `server`:`port`.
    std::unique_ptr<CHttpFile> Open(const std::string& server, int port)
    {
        m_connection = m_session.GetHttpConnection(server, port);
        return m_connection->OpenRequest(HTTP_VERB_GET, "/stat1.htm");
    }

    // The code of the CInternetException that `call` throws; 0 when it
    // throws none.
    static DWORD CodeThrownBy(const std::function<void()>& call, std::string* text = nullptr)
    {
        try {
            call();
        } catch (const CInternetException& e) {
            if (text) *text = e.GetErrorMessage();
            return e.m_dwError;
        }
        return 0;
    }

    static DWORD SendFails(CHttpFile& request, std::string* text = nullptr)
    {
        return CodeThrownBy([&request] { request.SendRequest("", 0, nullptr, 0); }, text);
    }

    CInternetSession m_session{"test agent"};
    std::unique_ptr<CHttpConnection> m_connection;
};

TEST_F(HttpFailureTest, UnresolvableNameFailsWithItsTextInAnApplicationBox)
{
    std::unique_ptr<CHttpFile> request = Open("no-such-device.invalid", 80);
    try {
        request->SendRequest("", 0, nullptr, 0);
        FAIL() << "the request went through";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.m_dwError, ERROR_INTERNET_NAME_NOT_RESOLVED);
        e.ReportError();
    }
    const std::vector<HostEvent> expected = {
        BoxEvent("The server name or address could not be resolved", AfxGetAppName(), MessageIcon::Exclamation)};
    EXPECT_EQ(m_host.MessageBoxes(), expected);
}

TEST_F(HttpFailureTest, RefusedConnectionFailsWithItsText)
{
    std::unique_ptr<CHttpFile> request = Open("127.0.0.1", ClosedPort());
    std::string text;
    EXPECT_EQ(SendFails(*request, &text), ERROR_INTERNET_CANNOT_CONNECT);
    EXPECT_EQ(text, "A connection with the server could not be established");
}

TEST_F(HttpFailureTest, CodeWithoutTextReportsThatNoMessageIsAvailable)
{
    CInternetException(ERROR_INTERNET_INTERNAL_ERROR).ReportError();
    const std::vector<HostEvent> expected = {
        BoxEvent("No error message is available.", AfxGetAppName(), MessageIcon::Exclamation)};
    EXPECT_EQ(m_host.MessageBoxes(), expected);
}

TEST_F(HttpFailureTest, SilentServerTimesOutWhileTheWindowIsKeptPainted)
{
    SetEnv("NDXU_RECEIVE_TIMEOUT", "1");
    LoopbackServer server({"", 0, ServerScript::Then::Stall});
    std::unique_ptr<CHttpFile> request = Open("127.0.0.1", server.Port());
    const auto start = Clock::now();
    EXPECT_EQ(SendFails(*request), ERROR_INTERNET_TIMEOUT);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 900ms);
    EXPECT_LT(waited, 3s);
    EXPECT_GE(m_host.Paints(), 5);
    EXPECT_LE(m_host.Paints(), 25);
}

TEST_F(HttpFailureTest, BodyThatStallsTimesOutInRead)
{
    SetEnv("NDXU_RECEIVE_TIMEOUT", "1");
    LoopbackServer server({"HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n", 1000, ServerScript::Then::Stall});
    std::unique_ptr<CHttpFile> request = Open("127.0.0.1", server.Port());
    request->SendRequest("", 0, nullptr, 0);
    char page[19999];
    const auto start = Clock::now();
    EXPECT_EQ(CodeThrownBy([&] { request->Read(page, sizeof page); }), ERROR_INTERNET_TIMEOUT);
    EXPECT_LT(Clock::now() - start, 3s);
}

TEST_F(HttpFailureTest, ConnectTimeoutBoundsAConnectionThatIsNeverTaken)
{
    SetEnv("NDXU_CONNECT_TIMEOUT", "1");
    SetEnv("NDXU_RECEIVE_TIMEOUT", "30");
    // A listener with a full queue of waiting connections drops new ones.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int waiting = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    ASSERT_EQ(connect(waiting, reinterpret_cast<sockaddr*>(&address), length), 0);

    std::unique_ptr<CHttpFile> request = Open("127.0.0.1", ntohs(address.sin_port));
    const auto start = Clock::now();
    EXPECT_EQ(SendFails(*request), ERROR_INTERNET_TIMEOUT);
    EXPECT_LT(Clock::now() - start, 5s);
    close(waiting);
    close(listener);
}

TEST_F(HttpFailureTest, ServerClosingWithoutAReplyAbortsTheConnection)
{
    LoopbackServer server({"", 0, ServerScript::Then::Close});
    std::unique_ptr<CHttpFile> request = Open("127.0.0.1", server.Port());
    EXPECT_EQ(SendFails(*request), ERROR_INTERNET_CONNECTION_ABORTED);
}

TEST_F(HttpFailureTest, ServerResettingTheConnectionIsReportedAsAReset)
{
    LoopbackServer server({"", 0, ServerScript::Then::Reset});
    std::unique_ptr<CHttpFile> request = Open("127.0.0.1", server.Port());
    std::string text;
    EXPECT_EQ(SendFails(*request, &text), ERROR_INTERNET_CONNECTION_RESET);
    EXPECT_EQ(text, "The connection with the server was reset");
}

TEST_F(HttpFailureTest, BodyCutShortAbortsTheRead)
{
    LoopbackServer server({"HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n", 1000});
    std::unique_ptr<CHttpFile> request = Open("127.0.0.1", server.Port());
    request->SendRequest("", 0, nullptr, 0);
    char page[19999];
    EXPECT_EQ(CodeThrownBy([&] { request->Read(page, sizeof page); }), ERROR_INTERNET_CONNECTION_ABORTED);
}

TEST_F(HttpFailureTest, ReplyThatIsNotHttpIsAnInvalidResponse)
{
    for (const std::string reply : {"<html>hello</html>\r\n\r\n", "HTTP/1.0 abc\r\n\r\n"}) {
        LoopbackServer server({reply});
        std::unique_ptr<CHttpFile> request = Open("127.0.0.1", server.Port());
        EXPECT_EQ(SendFails(*request), ERROR_HTTP_INVALID_SERVER_RESPONSE) << reply;
    }
}

// Every name carries the test server's address and port, so that anything
// passed on to the transfer library would reach it.
TEST_F(HttpFailureTest, NameThatIsNotAHostNameFailsBeforeAnythingIsSent)
{
    LoopbackServer server({"HTTP/1.0 200 OK\r\n\r\nok"});
    const std::string address = "127.0.0.1:" + std::to_string(server.Port());
    const std::string names[] = {address,
                                 address + "/x",
                                 address + "/\r\nX-Injected: 1",
                                 address + "\n",
                                 "127.0.0.1\r\n:" + std::to_string(server.Port()),
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
        std::unique_ptr<CHttpFile> request = Open(name, server.Port());
        EXPECT_EQ(SendFails(*request), ERROR_INTERNET_NAME_NOT_RESOLVED) << name;
    }
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_EQ(server.Received(), "");
}

TEST_F(HttpFailureTest, HostNamesAndAddressesWork)
{
    LoopbackServer v4({"HTTP/1.0 200 OK\r\n\r\nok"});
    for (const std::string name : {"127.0.0.1", "localhost"}) {
        std::unique_ptr<CHttpFile> request = Open(name, v4.Port());
        request->SendRequest("", 0, nullptr, 0);
        char page[4] = {};
        EXPECT_EQ(request->Read(page, 3), 2u) << name;
        request->Close();
    }
    EXPECT_EQ(v4.Connections(), 2);
}

TEST_F(HttpFailureTest, Ipv6AddressesWorkBareAndInBrackets)
{
    std::unique_ptr<LoopbackServer> v6;
    try {
        v6 = std::make_unique<LoopbackServer>(ServerScript{"HTTP/1.0 200 OK\r\n\r\nok"}, AF_INET6);
    } catch (const std::runtime_error& e) {
        GTEST_SKIP() << "no IPv6 loopback here: " << e.what();
    }
    for (const std::string name : {"::1", "[::1]"}) {
        std::unique_ptr<CHttpFile> request = Open(name, v6->Port());
        request->SendRequest("", 0, nullptr, 0);
        char page[4] = {};
        EXPECT_EQ(request->Read(page, 3), 2u) << name;
        request->Close();
    }
    EXPECT_TRUE(v6->Received().find("Host: [::1]:") != std::string::npos);
}

}  // namespace
