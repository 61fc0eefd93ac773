// SPDX-License-Identifier: MIT
// The Internet layer's settings, read from the environment each time a
// connection is made.
#pragma once

#include <chrono>

struct LayerSettings {
    int httpPort;                          // NDXU_HTTP_PORT, default 80
    int ftpPort;                           // NDXU_FTP_PORT, default 21
    std::chrono::seconds connectTimeout;   // NDXU_CONNECT_TIMEOUT, default 60
    std::chrono::seconds receiveTimeout;   // NDXU_RECEIVE_TIMEOUT, default 60
    std::chrono::seconds exchangeTimeout;  // NDXU_EXCHANGE_TIMEOUT, default 300: the most one HTTP
                                           // request or one FTP login or transfer may take
    bool ftpPassive;                       // NDXU_FTP_PASSIVE, 1 or 0, default 0: every FTP
                                           // connection in passive mode (PASV)
};

// The current settings; an unset or empty variable takes its default. Throws
// std::invalid_argument naming the variable when one holds a bad value.
LayerSettings ReadLayerSettings();

// `port` when it is given, else `fallback`; throws std::invalid_argument for
// a port out of range.
int PortOrDefault(int port, int fallback);
