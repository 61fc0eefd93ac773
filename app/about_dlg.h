// SPDX-License-Identifier: MIT
// The About box: icon, title, version and legal notice, closed with OK.
#pragma once

#include "platform/ui/dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
