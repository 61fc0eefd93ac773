// SPDX-License-Identifier: MIT
#include "log/run_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "platform/files/paths.h"
#include "platform/ui/host.h"
#include "platform/ui/secrets.h"
#include "platform/ui/win_app.h"

namespace {

// The process-wide log stream; null until it has been opened.
std::FILE* g_log = nullptr;

constexpr char kSeparator[] = "***************************************************\n";

// The log may lie in a directory other users can write to (TEMP or TMPDIR
// may name one): a symbolic link planted under its name is not followed, and
// a file that is not a regular file of this user with a single name is not
// written, so that nobody else can redirect, share or pre-create it. The log
// holds device pages: it is for its owner's eyes only.
bool IsOwnLogFile(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || info.st_nlink != 1) return false;
    return (info.st_mode & 077) == 0 || ::fchmod(fd, 0600) == 0;
}

struct Opened {
    std::FILE* stream = nullptr;
    std::string problem;  // why it could not be opened
};

Opened OpenForAppend(const std::string& path)
{
    if (path.empty()) return {nullptr, "no temporary directory is known (set TEMP, TMPDIR or HOME)"};
    std::optional<std::filesystem::path> hostPath = HostPathOf(path);
    if (!hostPath) return {nullptr, path + ": no such drive"};
    // O_NONBLOCK: a FIFO planted under the name must not hold the program.
    int fd = ::open(hostPath->c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        return {nullptr, hostPath->string() + ": " +
                             (error == ELOOP ? "a symbolic link" : std::generic_category().message(error))};
    }
    if (!IsOwnLogFile(fd)) {
        ::close(fd);
        return {nullptr, hostPath->string() + ": not a regular file of this user with a single name"};
    }
    std::FILE* stream = ::fdopen(fd, "a");
    if (!stream) {
        ::close(fd);
        return {nullptr, hostPath->string() + ": cannot be written"};
    }
    return {stream, {}};
}

}  // namespace

int OpenRunLog(std::string path)
{
    if (g_log) std::fclose(g_log);
    Opened opened = OpenForAppend(path);
    g_log = opened.stream;
    if (!g_log) {
        AfxGetHost().SetMessageDetail(opened.problem);
        AfxMessageBox("Cannot open logfile", MB_OK);
        return 1;
    }
    return 0;
}

namespace {

// Writes one entry while the caller holds the stream's lock.
void WriteEntryLocked(const std::string& text)
{
    std::fputs("******", g_log);
    std::fwrite(text.data(), 1, text.size(), g_log);
    std::fputs("\n", g_log);
    std::fputs(kSeparator, g_log);
    // A crash must not lose the trail of a failed upgrade.
    std::fflush(g_log);
}

}  // namespace

void WriteLogLine(std::string text)
{
    if (!g_log) return;
    text = MaskSecrets(std::move(text));
    // One entry at a time, whole, when another thread writes one too (the
    // console's last entry on an interruption).
    ::flockfile(g_log);
    WriteEntryLocked(text);
    ::funlockfile(g_log);
}

void WriteLastLogLine(std::string text)
{
    if (!g_log) return;
    text = MaskSecrets(std::move(text));
    // The lock is kept: no other thread writes after the last entry.
    ::flockfile(g_log);
    WriteEntryLocked(text);
}
