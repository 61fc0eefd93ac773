// SPDX-License-Identifier: MIT
#include "platform/win32/message_box.h"

#include "platform/files/windows/wide_text.h"
#include "platform/win32/system_error.h"

namespace {

UINT IconStyle(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Exclamation: return MB_ICONEXCLAMATION;
    case MessageIcon::Stop: return MB_ICONSTOP;
    case MessageIcon::None: break;
    }
    return 0;
}

}  // namespace

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, MessageIcon icon)
{
    const UINT modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
    const int answer = MessageBoxW(owner, Utf16(text).c_str(), Utf16(caption).c_str(), MB_OK | modality | IconStyle(icon));
    if (answer == 0) ThrowLastError("cannot show a message box");
    return IDOK;
}
