// SPDX-License-Identifier: MIT
#include "platform/files/file_lock.h"

#include "platform/files/windows/file_handle.h"
#include "platform/files/windows/file_security.h"
#include "platform/files/windows/system_error_text.h"
#include "platform/files/windows/wide_text.h"

namespace {

// The byte locked lies far beyond any text of the file: Windows locks are
// mandatory, and the text must stay readable to the runs the lock stops.
constexpr DWORD kLockedByteHigh = 1;

HANDLE HandleOf(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

OVERLAPPED LockedRange()
{
    OVERLAPPED range{};
    range.OffsetHigh = kLockedByteHigh;
    return range;
}

// A regular file on a disk, owned by the user.
bool IsOwnRegularFile(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info)) return false;
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return IsOwnedByUser(file);
}

}  // namespace

FileLock::FileLock(const std::string& path)
{
    PrivateSecurity security;
    // Other runs open the file too, to read who holds it. A link under the
    // name is opened as itself (and refused below), never followed.
    const HANDLE file = ::CreateFileW(Utf16(path).c_str(), GENERIC_READ | GENERIC_WRITE | READ_CONTROL, kShareAll,
                                      security.Attributes(), OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        m_problem = path + ": " + SystemErrorText(::GetLastError());
        return;
    }
    m_file = reinterpret_cast<std::intptr_t>(file);
    if (!IsOwnRegularFile(file)) {
        m_problem = path + ": not a regular file of this user";
        return;
    }
    OVERLAPPED range = LockedRange();
    if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range)) {
        m_held = true;
        return;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
        m_busy = true;
        return;
    }
    m_problem = path + ": cannot be locked: " + SystemErrorText(error);
}

FileLock::~FileLock()
{
    if (m_file == -1) return;
    if (m_held) {
        OVERLAPPED range = LockedRange();
        ::UnlockFileEx(HandleOf(m_file), 0, 1, 0, &range);
    }
    ::CloseHandle(HandleOf(m_file));
}

std::string FileLock::Text(std::size_t limit) const
{
    if (m_file == -1) return {};
    std::string text(limit, '\0');
    OVERLAPPED start{};
    DWORD got = 0;
    if (!::ReadFile(HandleOf(m_file), text.data(), static_cast<DWORD>(limit), &got, &start)) got = 0;
    text.resize(got);
    return text;
}

std::string FileLock::Write(const std::string& text)
{
    if (!m_held) return "the lock is not held";
    const HANDLE file = HandleOf(m_file);
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) || !::SetEndOfFile(file))
        return SystemErrorText(::GetLastError());
    DWORD written = 0;
    if (!::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        return SystemErrorText(::GetLastError());
    if (written != text.size()) return "not every byte was written";
    if (!::FlushFileBuffers(file)) return SystemErrorText(::GetLastError());
    return {};
}

unsigned long CurrentProcessId() { return ::GetCurrentProcessId(); }
