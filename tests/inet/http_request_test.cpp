// SPDX-License-Identifier: MIT
// The bytes that go on the wire for each kind of request the program makes,
// as the device simulator received them.
#include <gtest/gtest.h>

#include <string>

#include "platform/inet/http_connection.h"
#include "platform/inet/internet_session.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "tests/inet/inet_test_support.h"

namespace {

constexpr char kAgent[] = "NDXU Upgrade Wizard";
constexpr char kShortPage[] = "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok";

std::string FormHeaders(const std::string& object, std::size_t declared)
{
    return "Referer: http://127.0.0.1" + object + "\nContent-Type: application/x-www-form-urlencoded\n" +
           "Content-Length: " + std::to_string(declared) + "\n";
}

std::string LoginBody(const std::string& password)
{
    return AfxLoadString(IDS_LOGIN_FIELD) + password + AfxLoadString(IDS_LOGIN_TAIL);
}

class HttpRequestTest : public InetTest {
protected:
    void SetUp() override
    {
        InetTest::SetUp();
        StartDevice({"--reply", RawReply("enter", kShortPage), "--reply", RawReply("stat1", kShortPage), "--reply",
                     RawReply("maintena", kShortPage)});
        m_port = std::to_string(Device().HttpPort());
    }

    // Makes one request with `agent`, reads the short page the device
    // answers, and returns every byte the device received.
    std::string Exchange(int verb, const std::string& object, const std::string& headers, const std::string& body,
                         const char* agent = kAgent)
    {
        CInternetSession session(agent);
        std::unique_ptr<CHttpConnection> connection = session.GetHttpConnection("127.0.0.1", Device().HttpPort());
        std::unique_ptr<CHttpFile> request = connection->OpenRequest(verb, object);
        EXPECT_TRUE(request->SendRequest(headers.data(), static_cast<DWORD>(headers.size()), body.data(),
                                         static_cast<DWORD>(body.size())));
        char page[8] = {};
        EXPECT_EQ(request->Read(page, sizeof page), 2u);
        EXPECT_EQ(std::string(page), "ok");
        request->Close();
        const std::vector<HttpRecord> requests = Device().HttpRequests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? std::string() : requests.back().raw;
    }

    // The request line and the headers the layer adds itself.
    std::string Head(const std::string& verb, const std::string& object, const std::string& agent = kAgent) const
    {
        return verb + " " + object + " HTTP/1.0\r\nHost: 127.0.0.1:" + m_port + "\r\nUser-Agent: " + agent + "\r\n";
    }

    std::string m_port;
};

TEST_F(HttpRequestTest, LoginPostSendsTheWholeBodyAfterTheDeclaredLength)
{
    const std::string body = LoginBody("");
    ASSERT_EQ(body.size(), 24u);
    const std::string received = Exchange(HTTP_VERB_POST, "/enter.htm", FormHeaders("/enter.htm", 22), body);
    EXPECT_EQ(received, Head("POST", "/enter.htm") +
                            "Referer: http://127.0.0.1/enter.htm\r\n"
                            "Content-Type: application/x-www-form-urlencoded\r\n"
                            "Content-Length: 22\r\n"
                            "\r\n"
                            "Password=&Enter=Submit\r\n");
}

TEST_F(HttpRequestTest, LongestPasswordIsDeclaredAs101Bytes)
{
    const std::string password(79, 'p');
    const std::string body = LoginBody(password);
    const std::string received = Exchange(HTTP_VERB_POST, "/enter.htm", FormHeaders("/enter.htm", 101), body);
    EXPECT_EQ(received, Head("POST", "/enter.htm") +
                            "Referer: http://127.0.0.1/enter.htm\r\n"
                            "Content-Type: application/x-www-form-urlencoded\r\n"
                            "Content-Length: 101\r\n\r\n" +
                            body);
    EXPECT_EQ(body.size(), 103u);
}

TEST_F(HttpRequestTest, PasswordCharactersGoUnencoded)
{
    const std::string body = LoginBody("a&b c=d+e%41");
    const std::string received =
        Exchange(HTTP_VERB_POST, "/enter.htm", FormHeaders("/enter.htm", body.size() - 2), body);
    EXPECT_TRUE(received.ends_with("\r\n\r\nPassword=a&b c=d+e%41&Enter=Submit\r\n")) << received;
}

TEST_F(HttpRequestTest, GetWithoutHeadersHasNoBodyAndNoContentHeaders)
{
    const std::string received = Exchange(HTTP_VERB_GET, "/stat1.htm", "", "");
    EXPECT_EQ(received, Head("GET", "/stat1.htm") + "\r\n");
}

TEST_F(HttpRequestTest, DownloadModePostDeclares31Bytes)
{
    const std::string body = AfxLoadString(IDS_DOWNLOAD_MODE_BODY);
    ASSERT_EQ(body.size(), 31u);
    const std::string received = Exchange(HTTP_VERB_POST, "/maintena.htm", FormHeaders("/maintena.htm", 31), body);
    EXPECT_EQ(received, Head("POST", "/maintena.htm") +
                            "Referer: http://127.0.0.1/maintena.htm\r\n"
                            "Content-Type: application/x-www-form-urlencoded\r\n"
                            "Content-Length: 31\r\n"
                            "\r\n"
                            "B3=Enter+Firmware+Download+Mode");
}

TEST_F(HttpRequestTest, PostWithoutContentTypeGetsNoneAdded)
{
    const std::string received = Exchange(HTTP_VERB_POST, "/enter.htm", "Content-Length: 3\n", "abc");
    EXPECT_EQ(received, Head("POST", "/enter.htm") + "Content-Length: 3\r\n\r\nabc");
}

TEST_F(HttpRequestTest, UserAgentIsTheApplicationNameByDefault)
{
    const std::string received = Exchange(HTTP_VERB_GET, "/stat1.htm", "", "", nullptr);
    EXPECT_EQ(received, Head("GET", "/stat1.htm", AfxGetAppName()) + "\r\n");
    EXPECT_FALSE(AfxGetAppName().empty());
}

// The simulator stands in for the proxy: it records the request line the
// proxy is given (and answers it with its page for unknown paths).
TEST_F(HttpRequestTest, ProxyOfTheEnvironmentCarriesTheRequest)
{
    SetEnv("http_proxy", "http://127.0.0.1:" + m_port);
    CInternetSession session(kAgent);
    std::unique_ptr<CHttpConnection> connection = session.GetHttpConnection("device.invalid", 8080);
    std::unique_ptr<CHttpFile> request = connection->OpenRequest(HTTP_VERB_GET, "/stat1.htm");
    request->SendRequest("", 0, nullptr, 0);
    char page[8] = {};
    EXPECT_GT(request->Read(page, sizeof page), 0u);
    request->Close();
    const std::vector<HttpRecord> requests = Device().HttpRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].raw.starts_with("GET http://device.invalid:8080/stat1.htm HTTP/1.0\r\n"))
        << requests[0].raw;
}

}  // namespace
