// SPDX-License-Identifier: MIT
// The application-wide Internet session: open from start-up to shut-down,
// with status notifications relayed to the main window as message 1025.
#pragma once

#include "platform/inet/internet_session.h"

inline constexpr UINT WM_APP_SESSION_STATUS = WM_USER + 1;

class CAppSession : public CInternetSession {
public:
    CAppSession(const char* agent, DWORD_PTR context, DWORD accessType);

    void OnStatusCallback(DWORD_PTR context, DWORD internetStatus, const void* statusInformation,
                          DWORD statusInformationLength) override;
};
