// SPDX-License-Identifier: MIT
// The runs a device's journal holds (see upgrade/run_journal.h), read back
// line by line: a line that does not parse (a run stopped while it wrote
// it) or holds no run is skipped.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct JournalRun {
    std::string run;
    std::string device;
    std::string mode;
    int attempt = 1;
    std::string started;  // the first line's time
    std::string lastPhase;
    // Whether the run got past the download-mode form: it entered the FTP
    // phase, or its end says it changed the device.
    bool enteredDownloadMode = false;
    std::string packageVersion;
    std::string imageSha256;
    std::string signedBy;
    // From its end line; none while the run has none (it runs, or it was
    // stopped).
    std::optional<std::string> result;
    std::optional<int> exitStatus;
    std::string reason;
    std::string deviceState;
    std::string nextStep;
    std::string backup;
    std::string versionBefore;
    std::string versionAfter;
    std::string ended;  // the end line's time
};

struct Journal {
    std::vector<JournalRun> runs;  // in the order they began
    std::size_t skippedLines = 0;
    std::string problem;  // why the journal could not be read; empty when it
                          // could, or there is none
};

// The journal of the device's history directory `historyDirectory` (a
// program path).
Journal ReadJournal(const std::string& historyDirectory);

// The latest run of the package (its version and image digest) that
// entered download mode no longer than a day before `now`: a device such a
// run left in download mode may be resumed.
inline constexpr auto kResumeWindow = std::chrono::hours(24);
const JournalRun* RunToResume(const Journal& journal, const std::string& packageVersion, const std::string& imageSha256,
                              std::chrono::system_clock::time_point now);
