// SPDX-License-Identifier: MIT
// Data exchange between a dialog's values and its controls.
#pragma once

#include <string>

#include "platform/base/win_types.h"

class CDialog;
class CWnd;

class CDataExchange {
public:
    CDataExchange(CDialog& dialog, BOOL saveAndValidate)
        : m_pDlgWnd(&dialog), m_bSaveAndValidate(saveAndValidate)
    {
    }

    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;  // TRUE: controls to values; FALSE: values to controls
};

void DDX_Text(CDataExchange* pDX, int id, std::string& value);
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
