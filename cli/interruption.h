// Ctrl-C (SIGINT) and SIGTERM during a run: the run log gets a last entry
// saying where the run was stopped and what the device may be left with, and
// the program ends with 128 + the signal's number (130, 143).
#pragma once

#include <string>

// Catches SIGINT and SIGTERM from now on; the signal is only noted.
void CatchInterruptions();

// The signal noted, or 0.
int PendingInterruption();

// Follows the run by its status texts, to say where it was interrupted.
class RunProgress {
public:
    void Note(const std::string& status);
    // The run log's entry for an interruption by `signal` now.
    std::string InterruptionEntry(int signal) const;

private:
    enum class Stage { Web, DownloadMode, Uploading, Uploaded };
    Stage m_stage = Stage::Web;
    std::string m_lastStatus;
};
