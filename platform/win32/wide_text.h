// SPDX-License-Identifier: MIT
// The program's texts are UTF-8; the system's wide-character functions take
// UTF-16.
#pragma once

#include <string>

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
