// SPDX-License-Identifier: MIT
#include "platform/files/trusted_files.h"

#include "platform/files/windows/file_handle.h"
#include "platform/files/windows/file_security.h"
#include "platform/files/windows/system_error_text.h"

namespace {

std::string Named(const std::filesystem::path& path, const std::string& problem)
{
    return path.string() + " " + problem;
}

std::string SystemProblem(const std::filesystem::path& path, DWORD error)
{
    return path.string() + ": " + SystemErrorText(error);
}

// The object itself, never what a link points to, for reading its contents
// (`access`) and its security.
Handle OpenItself(const std::filesystem::path& path, DWORD access)
{
    return Handle(::CreateFileW(path.c_str(), access | READ_CONTROL, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Why the object behind `object` cannot be trusted: its owner and who may
// change it (`writeRights`).
std::optional<std::string> OwnerProblem(const std::filesystem::path& path, HANDLE object, ACCESS_MASK writeRights)
{
    if (!IsOwnedByUserOrAdministrators(object))
        return Named(path, "is owned by neither this user nor the system or the administrators");
    if (GrantsOthers(object, writeRights)) return Named(path, "is writable by other users");
    return std::nullopt;
}

}  // namespace

TrustedFileText ReadTrustedFile(const std::filesystem::path& hostPath, std::size_t limit)
{
    const Handle file = OpenItself(hostPath, GENERIC_READ);
    if (!file.Valid()) return {{}, SystemProblem(hostPath, ::GetLastError())};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.Get(), &info)) return {{}, SystemProblem(hostPath, ::GetLastError())};
    if (IsLink(info.dwFileAttributes)) return {{}, Named(hostPath, "is a symbolic link")};
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || ::GetFileType(file.Get()) != FILE_TYPE_DISK)
        return {{}, Named(hostPath, "is not a regular file")};
    if (std::optional<std::string> problem = OwnerProblem(hostPath, file.Get(), kFileWriteRights))
        return {{}, *problem};
    const unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > limit) return {{}, Named(hostPath, "is larger than " + std::to_string(limit) + " bytes")};
    std::string text(static_cast<std::size_t>(size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        DWORD n = 0;
        if (!::ReadFile(file.Get(), text.data() + got, static_cast<DWORD>(text.size() - got), &n, nullptr))
            return {{}, SystemProblem(hostPath, ::GetLastError())};
        if (n == 0) break;
        got += n;
    }
    text.resize(got);
    return {text, {}};
}

std::optional<std::string> TrustedDirectoryProblem(const std::filesystem::path& hostPath)
{
    const Handle directory = OpenItself(hostPath, FILE_READ_ATTRIBUTES);
    if (!directory.Valid()) {
        const DWORD error = ::GetLastError();
        return IsMissing(error) ? std::nullopt : std::optional(SystemProblem(hostPath, error));
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(directory.Get(), &info)) return SystemProblem(hostPath, ::GetLastError());
    if (IsLink(info.dwFileAttributes)) return Named(hostPath, "is a symbolic link");
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return Named(hostPath, "is not a directory");
    return OwnerProblem(hostPath, directory.Get(), kDirectoryWriteRights);
}
