// SPDX-License-Identifier: MIT
#include "upgrade/run_journal.h"

#include <cstdio>
#include <random>

#include "log/run_log.h"
#include "platform/files/append_file.h"
#include "platform/files/file_services.h"
#include "res/program_version.h"
#include "upgrade/json_text.h"
#include "upgrade/run_result.h"
#include "upgrade/utc_time.h"

namespace {

using Json = nlohmann::ordered_json;

// 16 hexadecimal digits, new for each run.
std::string NewRunId()
{
    std::random_device random;
    std::uniform_int_distribution<unsigned> digit(0, 15);
    std::string id;
    for (int i = 0; i < 16; ++i) id += "0123456789abcdef"[digit(random)];
    return id;
}

const char* ModeOf(const RunOptions& options)
{
    if (options.checkOnly) return "check";
    if (!options.restoreProfile.empty()) return "restore_profile";
    if (options.resume) return "resume";
    return "upgrade";
}

// Appends `line` and writes it through to the disk; the reason when it cannot.
std::string AppendLine(const std::string& path, const std::string& line)
{
    AppendFile file = OpenPrivateAppendFile(path);
    if (!file.stream) return file.problem;
    std::string problem;
    if (std::fputs((line + "\n").c_str(), file.stream) == EOF)
        problem = path + ": cannot be written";
    else if (std::string synced = SyncToDisk(file.stream); !synced.empty())
        problem = path + ": " + synced;
    if (std::fclose(file.stream) != 0 && problem.empty()) problem = path + ": cannot be written";
    return problem;
}

}  // namespace

RunJournal::RunJournal(const RunOptions& options) : m_options(options), m_run(NewRunId()) {}

void RunJournal::Open(const std::string& historyDirectory, const std::string& device, const RunReport& report)
{
    m_directory = historyDirectory;
    m_path = historyDirectory + "\\" + kJournalFile;
    m_device = device;
    Phase(report);
}

void RunJournal::Phase(const RunReport& report) { Append(report, "phase"); }

void RunJournal::End(const RunReport& report)
{
    const RunResult result = ResultOf(report.end);
    const std::optional<NextStep>& next = report.failure.next;
    Json end;
    end["result"] = ResultName(result);
    end["exit"] = ExitStatusOf(result).value_or(0);
    end["reason"] = Succeeded(result) ? Json(nullptr) : TextOrNull(report.failure.Explanation());
    end["device_state"] = next ? Json(LeftStateName(next->state)) : Json(nullptr);
    end["next_step"] = next ? Json(next->Text()) : Json(nullptr);
    end["backup"] = TextOrNull(report.backup);
    end["version_before"] = TextOrNull(report.versionBefore);
    end["version_after"] = TextOrNull(report.versionAfter);
    end["changed"] = report.changed;
    Append(report, "end", end);
}

void RunJournal::Append(const RunReport& report, const char* event, const Json& extra)
{
    if (m_path.empty()) return;
    Json line;
    line["run"] = m_run;
    line["time"] = UtcTimestamp();
    line["program"] = NDXU_VERSION_TEXT;
    line["device"] = m_device;
    line["attempt"] = m_options.attempt;
    line["mode"] = ModeOf(m_options);
    line["event"] = event;
    line["phase"] = PhaseName(report.phase);
    line["package_version"] = TextOrNull(report.packageVersion);
    line["image_sha256"] = TextOrNull(report.imageSha256);
    line["signed_by"] = TextOrNull(report.signedBy);
    if (extra.is_object()) line.update(extra);
    // A history replaced since the run took its device is not written
    // through, as its backups are not.
    const std::optional<std::string> unusable = PrivateDirectoryProblem(m_directory);
    const std::string problem = unusable ? *unusable : AppendLine(m_path, line.dump());
    if (problem.empty() || m_failed) return;
    m_failed = true;
    WriteLogLine("Journal Not Written: " + problem);
}
