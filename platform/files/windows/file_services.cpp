// SPDX-License-Identifier: MIT
#include "platform/files/file_services.h"

#include <atomic>
#include <optional>
#include <string>

#include "platform/files/windows/file_handle.h"
#include "platform/files/windows/file_security.h"
#include "platform/files/windows/system_error_text.h"
#include "platform/files/windows/wide_text.h"

namespace {

// A name beside `target` that no other copy uses at the same time.
std::wstring TemporaryNameBeside(const std::wstring& target)
{
    static std::atomic<unsigned> counter{0};
    return target + L".part-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

}  // namespace

BOOL CreateDirectoryEx(const std::string&, const std::string& newDirectory, const void*)
{
    PrivateSecurity security;
    return ::CreateDirectoryW(Utf16(newDirectory).c_str(), security.Attributes());
}

BOOL CopyFile(const std::string& existingFile, const std::string& newFile, BOOL failIfExists)
{
    const std::wstring from = Utf16(existingFile);
    const std::wstring to = Utf16(newFile);
    const DWORD attributes = ::GetFileAttributesW(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return FALSE;

    // Copied under a new name, made private and then renamed over the
    // target: a link planted at the target is replaced, never written
    // through.
    const std::wstring temporary = TemporaryNameBeside(to);
    if (!::CopyFileW(from.c_str(), temporary.c_str(), TRUE)) return FALSE;
    const DWORD replace = failIfExists ? 0 : MOVEFILE_REPLACE_EXISTING;
    if (MakePrivate(temporary.c_str()) && ::MoveFileExW(temporary.c_str(), to.c_str(), replace)) return TRUE;
    ::DeleteFileW(temporary.c_str());
    return FALSE;
}

BOOL MoveFile(const std::string& existingFile, const std::string& newFile)
{
    return ::MoveFileExW(Utf16(existingFile).c_str(), Utf16(newFile).c_str(), 0);
}

bool PathExists(const std::string& path) { return ::GetFileAttributesW(Utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<std::string> ReadableFileProblem(const std::string& path, EmptyFile empty)
{
    const std::wstring name = Utf16(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return SystemErrorText(::GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "not a regular file";
    const Handle file(::CreateFileW(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return SystemErrorText(::GetLastError());
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK) return "not a regular file";
    LARGE_INTEGER size{};
    if (empty == EmptyFile::Refused && ::GetFileSizeEx(file.Get(), &size) && size.QuadPart == 0)
        return "the file is empty";
    return std::nullopt;
}

std::optional<std::string> PrivateDirectoryProblem(const std::string& path)
{
    const std::wstring name = Utf16(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return IsMissing(error) ? std::nullopt : std::optional<std::string>(path + ": " + SystemErrorText(error));
    }
    if (IsLink(attributes)) return path + " is a symbolic link";
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return path + " is not a directory";
    const Handle directory(::CreateFileW(name.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                         nullptr));
    if (!directory.Valid()) return path + ": " + SystemErrorText(::GetLastError());
    if (!IsOwnedByUser(directory.Get())) return path + " is owned by another user";
    if (GrantsOthers(directory.Get(), kDirectoryWriteRights)) return path + " is writable by other users";
    return std::nullopt;
}
