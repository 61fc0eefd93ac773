// SPDX-License-Identifier: MIT
#include "platform/inet/part_file.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/base/windows_headers.h"

namespace {

constexpr int kAttempts = 100;

// Six random letters and digits, as a unique name's end.
std::wstring RandomSuffix(std::mt19937& random)
{
    static constexpr wchar_t kCharacters[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kCharacters) - 2);
    std::wstring suffix(6, L'\0');
    for (wchar_t& c : suffix) c = kCharacters[pick(random)];
    return suffix;
}

// The C library's error number for a failed MoveFileEx.
int ErrorNumberOf(DWORD error)
{
    switch (error) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_DISK_FULL: return ENOSPC;
    default: return EIO;
    }
}

}  // namespace

PartFile::PartFile(const std::filesystem::path& target) : m_target(target)
{
    std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::filesystem::path name = target.wstring() + L".part-" + RandomSuffix(random);
        int descriptor = -1;
        m_error = _wsopen_s(&descriptor, name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                            _SH_DENYWR, _S_IREAD | _S_IWRITE);
        if (m_error == EEXIST) continue;
        if (m_error != 0) return;
        m_temporary = name;
        m_stream = _fdopen(descriptor, "wb");
        if (m_stream) return;
        m_error = errno;
        _close(descriptor);
        return;
    }
}

PartFile::~PartFile()
{
    if (m_stream) std::fclose(m_stream);
    if (!m_temporary.empty() && !m_committed) _wremove(m_temporary.c_str());
}

bool PartFile::Commit(bool replace)
{
    if (!m_stream) return false;
    const bool closed = std::fclose(m_stream) == 0;
    m_stream = nullptr;
    if (!closed) {
        m_error = errno;
        return false;
    }
    m_committed = MoveFileExW(m_temporary.c_str(), m_target.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0) != FALSE;
    if (!m_committed) m_error = ErrorNumberOf(GetLastError());
    return m_committed;
}
