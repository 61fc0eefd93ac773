// SPDX-License-Identifier: MIT
// The FTP phase's Internet session: its status callback shows how far each
// transfer has come, as a bar in the window or a meter on the console.
#pragma once

#include "platform/inet/internet_session.h"
#include "upgrade/wizard_page.h"

class TransferSession : public CInternetSession {
public:
    explicit TransferSession(WizardPage& page);

    void OnStatusCallback(DWORD_PTR context, DWORD internetStatus, const void* statusInformation,
                          DWORD statusInformationLength) override;

private:
    WizardPage& m_page;
};
