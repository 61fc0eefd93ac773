// SPDX-License-Identifier: MIT
#include "platform/win32/wide_text.h"

#include <climits>
#include <stdexcept>

#include "platform/ui/win_types.h"

namespace {

int Length(std::size_t size)
{
    if (size > INT_MAX) throw std::length_error("text too long for the system");
    return static_cast<int>(size);
}

}  // namespace

std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int length = Length(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (wide == 0) throw std::runtime_error("text is not UTF-8: " + utf8);
    std::wstring result(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, result.data(), wide);
    return result;
}

std::string Narrow(const std::wstring& utf16)
{
    if (utf16.empty()) return {};
    const int length = Length(utf16.size());
    const int narrow = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (narrow == 0) throw std::runtime_error("text cannot be converted to UTF-8");
    std::string result(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, result.data(), narrow, nullptr, nullptr);
    return result;
}
