// SPDX-License-Identifier: MIT
#include "platform/ui/data_exchange.h"

#include "platform/ui/dialog.h"
#include "platform/ui/wnd.h"

void DDX_Text(CDataExchange* pDX, int id, std::string& value)
{
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetDlgItemText(id);
    else
        pDX->m_pDlgWnd->SetDlgItemText(id, value);
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.IsAttached()) control.Attach(*pDX->m_pDlgWnd, id);
}
