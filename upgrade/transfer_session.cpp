// SPDX-License-Identifier: MIT
#include "upgrade/transfer_session.h"

#include "platform/inet/transfer_status.h"

TransferSession::TransferSession(WizardPage& page)
    : CInternetSession(nullptr, 1, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0), m_page(page)
{
    EnableStatusCallback(TRUE);
}

void TransferSession::OnStatusCallback(DWORD_PTR, DWORD internetStatus, const void* statusInformation, DWORD)
{
    const auto& progress = *static_cast<const InternetTransferProgress*>(statusInformation);
    if (internetStatus == INTERNET_STATUS_TRANSFER_PROGRESS)
        m_page.ShowProgress({progress.remoteName, progress.upload, progress.done, progress.total});
    else if (internetStatus == INTERNET_STATUS_TRANSFER_ENDED)
        m_page.EndProgress();
}
