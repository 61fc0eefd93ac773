// SPDX-License-Identifier: MIT
#include "net/page_trace.h"

#include "platform/ui/resources.h"
#include "res/resource.h"

namespace {
constexpr char kPasswordMask[] = "********";
}

std::string MaskLoginPassword(const std::string& body)
{
    const std::string field = AfxLoadString(IDS_LOGIN_FIELD);
    const std::string tail = AfxLoadString(IDS_LOGIN_TAIL);
    bool isLogin = body.size() >= field.size() + tail.size() && body.starts_with(field) && body.ends_with(tail);
    if (!isLogin) return body;
    return field + kPasswordMask + tail;
}

std::string PageTraceLine(const std::string& server, const std::string& headers, const std::string& body,
                          const std::string& object)
{
    return "Call for page: " + server + "###" + headers + "###" + MaskLoginPassword(body) + "###" + object;
}
