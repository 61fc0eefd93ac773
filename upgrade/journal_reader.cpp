// SPDX-License-Identifier: MIT
#include "upgrade/journal_reader.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "platform/files/paths.h"
#include "upgrade/run_journal.h"
#include "upgrade/run_phase.h"
#include "upgrade/utc_time.h"

namespace {

using Json = nlohmann::json;

// A line longer than this is no line a run wrote; it is skipped.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

std::string TextOf(const Json& line, const char* key)
{
    const auto it = line.find(key);
    return it != line.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool IsFtpPhaseOrLater(const std::string& phase)
{
    for (RunPhase later :
         {RunPhase::FtpSession, RunPhase::Backup, RunPhase::Upload, RunPhase::Completed, RunPhase::Confirmation})
        if (phase == PhaseName(later)) return true;
    return false;
}

// What the line adds to its run.
void Take(JournalRun& run, const Json& line)
{
    if (run.started.empty()) run.started = TextOf(line, "time");
    for (auto [key, field] : {std::pair{"device", &run.device},
                              {"mode", &run.mode},
                              {"package_version", &run.packageVersion},
                              {"image_sha256", &run.imageSha256},
                              {"signed_by", &run.signedBy}})
        if (const std::string text = TextOf(line, key); !text.empty()) *field = text;
    if (const auto attempt = line.find("attempt"); attempt != line.end() && attempt->is_number_integer())
        run.attempt = attempt->get<int>();
    run.lastPhase = TextOf(line, "phase");
    if (IsFtpPhaseOrLater(run.lastPhase)) run.enteredDownloadMode = true;
    if (TextOf(line, "event") != "end") return;
    run.result = TextOf(line, "result");
    if (const auto exit = line.find("exit"); exit != line.end() && exit->is_number_integer())
        run.exitStatus = exit->get<int>();
    run.reason = TextOf(line, "reason");
    run.deviceState = TextOf(line, "device_state");
    run.nextStep = TextOf(line, "next_step");
    run.backup = TextOf(line, "backup");
    run.versionBefore = TextOf(line, "version_before");
    run.versionAfter = TextOf(line, "version_after");
    run.ended = TextOf(line, "time");
    if (const auto changed = line.find("changed"); changed != line.end() && changed->is_boolean() && *changed)
        run.enteredDownloadMode = true;
}

JournalRun& RunOf(Journal& journal, const std::string& id)
{
    for (auto it = journal.runs.rbegin(); it != journal.runs.rend(); ++it)
        if (it->run == id) return *it;
    journal.runs.push_back({});
    journal.runs.back().run = id;
    return journal.runs.back();
}

}  // namespace

Journal ReadJournal(const std::string& historyDirectory)
{
    Journal journal;
    const std::string path = historyDirectory + "\\" + kJournalFile;
    const std::optional<std::filesystem::path> hostPath = HostPathOf(path);
    if (!hostPath) return {{}, 0, UnmappedPathText(path)};
    std::error_code error;
    if (!std::filesystem::exists(*hostPath, error)) return journal;
    std::ifstream in(*hostPath, std::ios::binary);
    if (!in) return {{}, 0, hostPath->string() + ": cannot be read"};
    std::string text;
    while (std::getline(in, text)) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty()) continue;
        const Json line = text.size() <= kMaxLineBytes ? Json::parse(text, nullptr, false) : Json();
        const std::string id = line.is_object() ? TextOf(line, "run") : std::string();
        if (id.empty()) {
            ++journal.skippedLines;
            continue;
        }
        Take(RunOf(journal, id), line);
    }
    return journal;
}

const JournalRun* RunToResume(const Journal& journal, const std::string& packageVersion, const std::string& imageSha256,
                              std::chrono::system_clock::time_point now)
{
    if (imageSha256.empty()) return nullptr;
    for (auto it = journal.runs.rbegin(); it != journal.runs.rend(); ++it) {
        if (!it->enteredDownloadMode || it->imageSha256 != imageSha256 || it->packageVersion != packageVersion)
            continue;
        const std::optional<std::chrono::system_clock::time_point> started = ParseUtcTimestamp(it->started);
        if (started && *started <= now && now - *started <= kResumeWindow) return &*it;
    }
    return nullptr;
}
