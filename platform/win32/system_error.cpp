// SPDX-License-Identifier: MIT
#include "platform/win32/system_error.h"

#include <system_error>

#include "platform/base/win_types.h"

void ThrowLastError(const std::string& what)
{
    const DWORD code = GetLastError();
    throw std::system_error(static_cast<int>(code), std::system_category(), what);
}
