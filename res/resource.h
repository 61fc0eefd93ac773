// SPDX-License-Identifier: MIT
// Numbers of the program's resources: dialogs, images, strings and controls.
#pragma once

// Dialog templates.
inline constexpr unsigned IDD_ABOUTBOX = 100;
inline constexpr unsigned IDD_UPGRADEWIZARD_DIALOG = 102;

// Images.
inline constexpr int IDR_MAINFRAME = 128;  // the application icon
inline constexpr int IDB_SIDEPICTURE = 143;

// Strings.
inline constexpr unsigned IDS_ABOUTBOX = 101;
inline constexpr unsigned IDS_DEFAULT_ADDRESS = 102;
inline constexpr unsigned IDS_FIRMWARE_FILE = 104;
inline constexpr unsigned IDS_PROFILE_BACKUP_FILE = 105;
inline constexpr unsigned IDS_MODEL_NAME = 107;
inline constexpr unsigned IDS_NO_ADDRESS = 108;
inline constexpr unsigned IDS_ADDRESS_TOO_LONG = 109;
inline constexpr unsigned IDS_PASSWORD_TOO_LONG = 110;
inline constexpr unsigned IDS_CONNECTING = 111;
inline constexpr unsigned IDS_CANNOT_FIND_MODEM = 112;
inline constexpr unsigned IDS_INCORRECT_PASSWORD = 113;
inline constexpr unsigned IDS_LOGIN_FIELD = 114;
inline constexpr unsigned IDS_LOGIN_TAIL = 115;
inline constexpr unsigned IDS_WRONG_PASSWORD_MARK = 116;
inline constexpr unsigned IDS_WRONG_PASSWORD_MESSAGE = 117;
inline constexpr unsigned IDS_OPERATION_FAILED = 118;
inline constexpr unsigned IDS_PASSWORD_RECOGNIZED = 119;
inline constexpr unsigned IDS_CHECKING_VERSION = 120;
inline constexpr unsigned IDS_VERSION_MARK = 121;
inline constexpr unsigned IDS_WRONG_DEVICE_HEAD = 122;
inline constexpr unsigned IDS_WRONG_DEVICE_TAIL = 123;
inline constexpr unsigned IDS_INTRODUCTION = 124;
inline constexpr unsigned IDS_ADDRESS_LABEL = 125;
inline constexpr unsigned IDS_PASSWORD_LABEL = 126;
inline constexpr unsigned IDS_CANCEL = 127;
inline constexpr unsigned IDS_CONTINUE = 128;
inline constexpr unsigned IDS_VERSION_VERIFIED = 129;
inline constexpr unsigned IDS_STARTING_FTP_SERVER = 130;
inline constexpr unsigned IDS_FTP_SERVER_STARTED = 131;
inline constexpr unsigned IDS_OPENING_FTP_SESSION = 132;
inline constexpr unsigned IDS_UPGRADING_FIRMWARE = 133;
inline constexpr unsigned IDS_BACKING_UP_PROFILE = 134;
inline constexpr unsigned IDS_PROFILE_SAVED = 135;
inline constexpr unsigned IDS_UPGRADING_FIRMWARE_WAIT = 136;
inline constexpr unsigned IDS_CONGRATULATIONS = 137;
inline constexpr unsigned IDS_EXIT = 138;
inline constexpr unsigned IDS_UPGRADE_COMPLETED = 139;
inline constexpr unsigned IDS_RESETTING = 140;
inline constexpr unsigned IDS_OPERATION_FAILED_MARK = 141;
inline constexpr unsigned IDS_DOWNLOAD_MODE_BODY = 142;
inline constexpr unsigned IDS_COPYING_FIRMWARE = 143;
inline constexpr unsigned IDS_CHECKING_PROD = 144;
inline constexpr unsigned IDS_PROD_FOUND = 145;

// System-menu command of the About entry.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;
// System-menu command of the entry that restores a kept profile.
inline constexpr unsigned IDM_RESTOREPROFILE = 0x0020;

// Controls of the wizard dialog.
inline constexpr int IDC_CONTINUE = 1002;
inline constexpr int IDC_STATUS = 1011;
inline constexpr int IDC_PASSWORD = 1014;
inline constexpr int IDC_ADDRESS = 1017;
inline constexpr int IDC_INTRO = 1022;
inline constexpr int IDC_ADDRESS_LABEL = 1023;
inline constexpr int IDC_PASSWORD_LABEL = 1025;
