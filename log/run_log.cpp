// SPDX-License-Identifier: MIT
#include "log/run_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include "platform/files/append_file.h"
#include "platform/ui/host.h"
#include "platform/ui/win_app.h"

namespace {

// The process-wide log stream; null until it has been opened.
std::FILE* g_log = nullptr;
// Held while an entry is written, so that entries stay whole when another
// thread writes one too (the console's last entry on an interruption).
std::mutex g_entryMutex;
// The first failed write of the open log; empty while none failed. Its own
// mutex: the last entry keeps g_entryMutex for good.
std::mutex g_problemMutex;
std::string g_writeProblem;

constexpr char kSeparator[] = "***************************************************\n";

// The log may lie in a directory other users can write to (TEMP or TMPDIR
// may name one), and it holds device pages: it is opened as a private file
// of the user's own (see OpenPrivateAppendFile).
AppendFile OpenForAppend(const std::string& path)
{
    if (path.empty()) return {nullptr, "no temporary directory is known (set TEMP, TMPDIR or HOME)"};
    return OpenPrivateAppendFile(path);
}

}  // namespace

int OpenRunLog(std::string path, std::string* problem)
{
    if (g_log) std::fclose(g_log);
    {
        const std::lock_guard<std::mutex> lock(g_problemMutex);
        g_writeProblem.clear();
    }
    AppendFile opened = OpenForAppend(path);
    g_log = opened.stream;
    if (!g_log) {
        if (problem) *problem = opened.problem;
        AfxGetHost().SetMessageDetail(opened.problem);
        AfxMessageBox(kLogNotOpenedText, MB_OK);
        return 1;
    }
    return 0;
}

namespace {

// Writes one entry while the caller holds g_entryMutex.
void WriteEntryLocked(const std::string& text)
{
    std::fputs("******", g_log);
    std::fwrite(text.data(), 1, text.size(), g_log);
    std::fputs("\n", g_log);
    std::fputs(kSeparator, g_log);
    // A crash must not lose the trail of a failed upgrade.
    if (std::fflush(g_log) == 0 && !std::ferror(g_log)) return;
    const int error = errno;
    // The next entry tries again; the first reason stands.
    std::clearerr(g_log);
    const std::lock_guard<std::mutex> lock(g_problemMutex);
    if (g_writeProblem.empty()) g_writeProblem = std::string("an entry could not be written: ") + std::strerror(error);
}

}  // namespace

std::string RunLogWriteProblem()
{
    const std::lock_guard<std::mutex> lock(g_problemMutex);
    return g_writeProblem;
}

void WriteLogLine(std::string text)
{
    if (!g_log) return;
    const std::lock_guard<std::mutex> lock(g_entryMutex);
    WriteEntryLocked(text);
}

void WriteLastLogLine(std::string text)
{
    if (!g_log) return;
    // The lock is kept: no other thread writes after the last entry.
    g_entryMutex.lock();
    WriteEntryLocked(text);
}
