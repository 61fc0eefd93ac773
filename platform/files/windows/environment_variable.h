// SPDX-License-Identifier: MIT
// An environment variable's value as the system holds it, in UTF-16.
#pragma once

#include <optional>
#include <string>

#include "platform/base/windows_headers.h"

// The variable's value (possibly empty); none when it is not set.
inline std::optional<std::wstring> EnvironmentVariable(const wchar_t* name)
{
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
    if (length == 0 || length >= size) return std::nullopt;
    value.resize(length);
    return value;
}
