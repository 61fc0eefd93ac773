// SPDX-License-Identifier: MIT
// The layer's settings from the environment: defaults and bad values.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/inet/ftp_connection.h"
#include "platform/inet/http_connection.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/layer_settings.h"
#include "tests/inet/inet_test_support.h"

namespace {

class LayerSettingsTest : public InetTest {
protected:
    CInternetSession m_session{"test agent"};
};

struct BadValue {
    const char* variable;
    const char* value;
};

TEST_F(LayerSettingsTest, BadValueIsRefusedNamingItsVariable)
{
    const BadValue cases[] = {
        {"NDXU_HTTP_PORT", "http"},        {"NDXU_HTTP_PORT", "0"},          {"NDXU_HTTP_PORT", "65536"},
        {"NDXU_HTTP_PORT", "-80"},         {"NDXU_FTP_PORT", "21x"},         {"NDXU_FTP_PORT", "99999"},
        {"NDXU_CONNECT_TIMEOUT", "0"},     {"NDXU_CONNECT_TIMEOUT", "-1"},   {"NDXU_CONNECT_TIMEOUT", "1.5"},
        {"NDXU_RECEIVE_TIMEOUT", "soon"},  {"NDXU_RECEIVE_TIMEOUT", " 5"},   {"NDXU_RECEIVE_TIMEOUT", "0"},
        {"NDXU_EXCHANGE_TIMEOUT", "0"},    {"NDXU_EXCHANGE_TIMEOUT", "86401"}, {"NDXU_EXCHANGE_TIMEOUT", "5m"},
        {"NDXU_FTP_PASSIVE", "yes"},       {"NDXU_FTP_PASSIVE", "2"},        {"NDXU_FTP_PASSIVE", "1 "},
    };
    for (const BadValue& bad : cases) {
        SetEnv(bad.variable, bad.value);
        try {
            ReadLayerSettings();
            ADD_FAILURE() << bad.variable << "=" << bad.value << " was read";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(bad.variable), std::string::npos) << e.what();
        }
        for (const bool ftp : {false, true}) {
            try {
                if (ftp)
                    m_session.GetFtpConnection("127.0.0.1", "", "", ClosedPort());
                else
                    m_session.GetHttpConnection("127.0.0.1");
                ADD_FAILURE() << bad.variable << "=" << bad.value << " was taken (ftp: " << ftp << ")";
            } catch (const std::invalid_argument& e) {
                EXPECT_NE(std::string(e.what()).find(bad.variable), std::string::npos) << e.what();
            }
        }
        SetEnv(bad.variable, std::nullopt);
    }
}

TEST_F(LayerSettingsTest, UnsetVariablesTakeTheirDefaultsAndSetOnesTheirValues)
{
    using std::chrono::seconds;
    const LayerSettings defaults = ReadLayerSettings();
    EXPECT_EQ(defaults.httpPort, 80);
    EXPECT_EQ(defaults.ftpPort, 21);
    EXPECT_EQ(defaults.connectTimeout, seconds(60));
    EXPECT_EQ(defaults.receiveTimeout, seconds(60));
    EXPECT_EQ(defaults.exchangeTimeout, seconds(300));
    EXPECT_FALSE(defaults.ftpPassive);
    SetEnv("NDXU_EXCHANGE_TIMEOUT", "86400");
    SetEnv("NDXU_RECEIVE_TIMEOUT", "");
    SetEnv("NDXU_FTP_PASSIVE", "1");
    const LayerSettings set = ReadLayerSettings();
    EXPECT_EQ(set.exchangeTimeout, seconds(86400));
    EXPECT_EQ(set.receiveTimeout, seconds(60));
    EXPECT_TRUE(set.ftpPassive);
    SetEnv("NDXU_FTP_PASSIVE", "0");
    EXPECT_FALSE(ReadLayerSettings().ftpPassive);
}

TEST_F(LayerSettingsTest, PortOutOfRangeIsRefused)
{
    EXPECT_THROW(m_session.GetHttpConnection("127.0.0.1", 65536), std::invalid_argument);
    EXPECT_THROW(m_session.GetHttpConnection("127.0.0.1", -1), std::invalid_argument);
    EXPECT_THROW(m_session.GetFtpConnection("127.0.0.1", "", "", 70000), std::invalid_argument);
}

TEST_F(LayerSettingsTest, HttpPortOfTheEnvironmentServesWhenNoneIsGiven)
{
    DevSim& device = StartDevice({"--reply", RawReply("stat1", "HTTP/1.0 200 OK\r\n\r\nok")});
    SetEnv("NDXU_HTTP_PORT", std::to_string(device.HttpPort()));
    std::unique_ptr<CHttpConnection> connection = m_session.GetHttpConnection("127.0.0.1", INTERNET_INVALID_PORT_NUMBER);
    std::unique_ptr<CHttpFile> request = connection->OpenRequest(HTTP_VERB_GET, "/stat1.htm");
    request->SendRequest("", 0, nullptr, 0);
    char page[4] = {};
    EXPECT_EQ(request->Read(page, 3), 2u);
    request->Close();
    EXPECT_EQ(device.HttpRequests().size(), 1u);
}

}  // namespace
