// SPDX-License-Identifier: MIT
#include "net/page_fetch.h"

#include "log/run_log.h"
#include "net/page_trace.h"
#include "platform/inet/device_text.h"
#include "platform/inet/http_connection.h"
#include "platform/inet/internet_session.h"
#include "platform/ui/win_app.h"

namespace {
constexpr UINT kPageBytes = kPageBufferSize - 1;
constexpr UINT kOverrunProbeBytes = 9;
}  // namespace

std::unique_ptr<char[]> FetchPage(int post, std::string server, std::string headers, std::string body,
                                  std::string object, const FetchFailureListener& beforeBox)
{
    WriteLogLine(PageTraceLine(server, headers, body, object));

    auto page = std::make_unique<char[]>(kPageBufferSize);
    CInternetSession session(nullptr, 1, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    std::unique_ptr<CHttpConnection> connection =
        session.GetHttpConnection(server, INTERNET_INVALID_PORT_NUMBER, nullptr, nullptr);

    std::unique_ptr<CHttpFile> request;
    try {
        request = connection->OpenRequest(post ? HTTP_VERB_POST : HTTP_VERB_GET, object, nullptr, 1, nullptr,
                                          nullptr, INTERNET_FLAG_EXISTING_CONNECT);
        request->SendRequest(headers.c_str(), static_cast<DWORD>(headers.size()), body.data(),
                             static_cast<DWORD>(body.size()));
    } catch (const CInternetException& e) {
        // A pending send still completes; every other failure ends the fetch.
        if (e.m_dwError != ERROR_IO_PENDING || !request) {
            if (beforeBox) beforeBox({e.ReportText(0), e.m_dwError, e.Detail()});
            e.ReportError(MB_OK, 0);
            return nullptr;
        }
    }

    UINT received = request->Read(page.get(), kPageBytes);
    page[received] = '\0';

    char probe[kOverrunProbeBytes];
    if (request->Read(probe, kOverrunProbeBytes) > 0) AfxMessageBox("File Overan buffer -- not cached", MB_OK);

    request->Close();
    request.reset();
    connection->Close();
    connection.reset();

    WriteLogLine(DeviceText(page.get()));
    session.Close();
    return page;
}
