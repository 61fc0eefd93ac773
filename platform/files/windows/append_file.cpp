// SPDX-License-Identifier: MIT
#include "platform/files/append_file.h"

#include <fcntl.h>
#include <io.h>

#include "platform/files/windows/file_security.h"
#include "platform/files/windows/system_error_text.h"
#include "platform/files/windows/wide_text.h"

namespace {

// A regular file on a disk, with one name, owned by the user.
bool IsOwnRegularFile(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info)) return false;
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return info.nNumberOfLinks == 1 && IsOwnedByUser(file);
}

constexpr ACCESS_MASK kReadOrWriteRights = FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE | WRITE_DAC | WRITE_OWNER;

}  // namespace

AppendFile OpenPrivateAppendFile(const std::string& path)
{
    PrivateSecurity security;
    // Others may read and write the file while it is open. A link under the
    // name is opened as itself (and refused below), never followed.
    HANDLE file = ::CreateFileW(Utf16(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL | WRITE_DAC,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, security.Attributes(),
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {nullptr, path + ": " + SystemErrorText(::GetLastError())};
    if (!IsOwnRegularFile(file)) {
        ::CloseHandle(file);
        return {nullptr, path + ": not a regular file of this user with a single name"};
    }
    if (GrantsOthers(file, kReadOrWriteRights) && !MakePrivate(file)) {
        ::CloseHandle(file);
        return {nullptr, path + ": cannot be made private"};
    }
    const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_APPEND | _O_TEXT);
    if (descriptor < 0) {
        ::CloseHandle(file);
        return {nullptr, path + ": cannot be written"};
    }
    std::FILE* stream = ::_fdopen(descriptor, "a");
    if (!stream) {
        ::_close(descriptor);
        return {nullptr, path + ": cannot be written"};
    }
    return {stream, {}};
}

std::string SyncToDisk(std::FILE* stream)
{
    if (std::fflush(stream) != 0) return "cannot be written";
    const auto file = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    if (!::FlushFileBuffers(file)) return SystemErrorText(::GetLastError());
    return {};
}
