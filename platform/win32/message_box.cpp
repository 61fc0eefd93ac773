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

std::string MessageBoxText(const std::string& text, const std::string& details)
{
    if (details.empty()) return text;
    return text + "\n\n" + std::string(40, '-') + "\n" + details;
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, MessageIcon icon,
                   const std::string& details)
{
    const UINT modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
    const int answer = MessageBoxW(owner, Utf16(MessageBoxText(text, details)).c_str(), Utf16(caption).c_str(),
                                   MB_OK | modality | IconStyle(icon));
    if (answer == 0) ThrowLastError("cannot show a message box");
    return IDOK;
}
