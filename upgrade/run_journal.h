// SPDX-License-Identifier: MIT
// The journal of a device's runs:
// C:\varn\ndxu511\history\<device>\journal.jsonl, one JSON object a line,
// appended and written through to the disk at each phase a run enters and at
// its end, by every front-end. A run stopped at any moment leaves every line it
// completed; a reader skips a torn last line. Each line has: run (the run's
// id), time (UTC), program (its version), device (the address as given),
// attempt, mode ("upgrade", "check", "resume", "restore_profile"), event
// ("phase" or "end"), phase, package_version, image_sha256, signed_by (null
// while not known); an end line adds result, exit, reason, device_state,
// next_step, backup, version_before, version_after and changed.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "upgrade/run_options.h"
#include "upgrade/run_report.h"

inline constexpr char kJournalFile[] = "journal.jsonl";

// The journal of one run.
class RunJournal {
public:
    explicit RunJournal(const RunOptions& options);

    // From now on the run's lines go to the journal in `historyDirectory`
    // (a program path); the phase the run is in is the first. `device`: the
    // address as given.
    void Open(const std::string& historyDirectory, const std::string& device, const RunReport& report);
    void Phase(const RunReport& report);
    // The run's last line: its result, exit status, reason and next step.
    void End(const RunReport& report);

private:
    void Append(const RunReport& report, const char* event, const nlohmann::ordered_json& extra = {});

    const RunOptions& m_options;
    std::string m_device;
    const std::string m_run;
    std::string m_directory;
    std::string m_path;
    bool m_failed = false;  // a line could not be written: the log has said so once
};
