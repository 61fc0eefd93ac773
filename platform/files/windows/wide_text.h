// SPDX-License-Identifier: MIT
// The program's texts are UTF-8; Windows' own interfaces take UTF-16.
#pragma once

#include <string>

std::wstring Utf16(const std::string& utf8);
std::string Utf8(const std::wstring& utf16);
