// SPDX-License-Identifier: MIT
#include "platform/files/text_buffer.h"

#include <cstring>

DWORD CopyToBuffer(const std::string& value, char* buffer, DWORD size)
{
    if (value.size() + 1 > size) return static_cast<DWORD>(value.size() + 1);
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return static_cast<DWORD>(value.size());
}
