// SPDX-License-Identifier: MIT
// Dialog templates: the layout of a dialog as data, in dialog units.
#pragma once

#include <string>
#include <vector>

#include "platform/base/win_types.h"

enum class ControlKind { PushButton, Edit, Static, Picture, GroupBox };

// Control styles the hosts act on.
inline constexpr UINT BS_DEFAULT_PUSH = 0x0001;  // the default push button
// The system's own on Windows.
#ifndef _WIN32
inline constexpr UINT ES_PASSWORD = 0x0020;      // the edit field shows its text masked
inline constexpr UINT ES_AUTOHSCROLL = 0x0080;
inline constexpr UINT SS_ICON = 0x0003;          // the picture shows an icon
inline constexpr UINT SS_BITMAP = 0x000E;        // the picture shows a bitmap
inline constexpr UINT SS_NOPREFIX = 0x0080;      // an ampersand is shown as it is
inline constexpr UINT SS_SUNKEN = 0x1000;        // the static has a sunken edge
inline constexpr UINT WS_BORDER = 0x00800000;
inline constexpr UINT WS_GROUP = 0x00020000;
inline constexpr UINT WS_TABSTOP = 0x00010000;

// Dialog window styles.
inline constexpr UINT WS_POPUP = 0x80000000;
inline constexpr UINT WS_VISIBLE = 0x10000000;
inline constexpr UINT WS_CAPTION = 0x00C00000;
inline constexpr UINT WS_SYSMENU = 0x00080000;
inline constexpr UINT DS_MODALFRAME = 0x0080;
inline constexpr UINT DS_CENTER = 0x0800;
inline constexpr UINT WS_EX_APPWINDOW = 0x00040000;
#endif

inline constexpr int IDC_STATIC = -1;

struct ControlTemplate {
    int id;
    ControlKind kind;
    int x, y, cx, cy;  // dialog units
    UINT style;        // styles beyond child and visible
    std::string text;  // the template's own text
    int imageId = 0;   // icon or bitmap shown by a picture
};

struct DialogTemplate {
    int id;
    std::string caption;
    int cx, cy;  // dialog units
    UINT style;
    UINT exStyle;
    std::string fontName;
    int fontPointSize;
    std::vector<ControlTemplate> controls;  // template order, which is the tab order
};
