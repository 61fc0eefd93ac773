// SPDX-License-Identifier: MIT
#include "res/dialog_templates.h"

#include "res/program_version.h"
#include "res/resource.h"

namespace {

const DialogTemplate kAboutBox{
    IDD_ABOUTBOX,
    "About NDXU Upgrade Wizard",
    217, 55,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    0,
    "MS Sans Serif", 8,
    {
        {IDC_STATIC, ControlKind::Picture, 11, 17, 20, 20, SS_ICON, "", IDR_MAINFRAME},
        {IDC_STATIC, ControlKind::Static, 40, 10, 119, 19, SS_NOPREFIX | WS_GROUP,
         "Varn Halvex\u00ae NDXU LAN Modem Upgrade Wizard"},
        {IDC_STATIC, ControlKind::Static, 39, 40, 119, 8, WS_GROUP, "Copyright \u00a9 1998 Varn Inc."},
        {IDOK, ControlKind::PushButton, 178, 7, 32, 14, BS_DEFAULT_PUSH | WS_GROUP | WS_TABSTOP, "OK"},
        {IDC_STATIC, ControlKind::Static, 39, 29, 113, 8, WS_GROUP, "Version " NDXU_VERSION_TEXT},
    },
};

const DialogTemplate kWizard{
    IDD_UPGRADEWIZARD_DIALOG,
    "Varn Halvex Lan Modem Upgrade Wizard",
    245, 183,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER,
    WS_EX_APPWINDOW,
    "MS Sans Serif", 8,
    {
        {IDC_CONTINUE, ControlKind::PushButton, 107, 142, 58, 14, BS_DEFAULT_PUSH | WS_TABSTOP, "Continue"},
        {IDCANCEL, ControlKind::PushButton, 170, 142, 58, 14, WS_TABSTOP, "Cancel"},
        {IDC_STATUS, ControlKind::Static, 3, 168, 239, 12, SS_SUNKEN | WS_GROUP, "Status"},
        {IDC_ADDRESS, ControlKind::Edit, 149, 94, 80, 12, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, ""},
        {IDC_ADDRESS_LABEL, ControlKind::Static, 103, 92, 40, 16, WS_GROUP, "Address"},
        {IDC_INTRO, ControlKind::Static, 103, 12, 129, 78, WS_GROUP, "Introduction"},
        {IDC_STATIC, ControlKind::Picture, 5, 4, 85, 156, SS_BITMAP | WS_BORDER, "", IDB_SIDEPICTURE},
        {IDC_STATIC, ControlKind::GroupBox, 97, 0, 142, 161, 0, ""},
        {IDC_PASSWORD_LABEL, ControlKind::Static, 103, 118, 39, 12, WS_GROUP, "Password"},
        {IDC_PASSWORD, ControlKind::Edit, 150, 116, 77, 13, WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
         ""},
    },
};

}  // namespace

const DialogTemplate* FindProgramDialog(unsigned id)
{
    switch (id) {
    case IDD_ABOUTBOX: return &kAboutBox;
    case IDD_UPGRADEWIZARD_DIALOG: return &kWizard;
    default: return nullptr;
    }
}
