// SPDX-License-Identifier: MIT
// The run log's line for a page request.
#pragma once

#include <string>

// "Call for page: " + server + "###" + headers + "###" + body + "###" +
// object, each verbatim except a login body's password, which is replaced by
// a fixed mask so that the log never holds it, nor its length.
std::string PageTraceLine(const std::string& server, const std::string& headers, const std::string& body,
                          const std::string& object);

// The login body with its password value masked; any other body unchanged.
std::string MaskLoginPassword(const std::string& body);
