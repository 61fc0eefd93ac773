// SPDX-License-Identifier: MIT
#include "cli/history.h"

#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <nlohmann/json.hpp>
#include <vector>

#include "platform/console/terminal_text.h"
#include "platform/files/paths.h"
#include "upgrade/device_identity.h"
#include "upgrade/json_text.h"
#include "upgrade/journal_reader.h"
#include "upgrade/profile_history.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

// The device directories whose journals are shown, by their names.
std::vector<std::string> DeviceDirectories(const Options& options)
{
    if (!options.history->empty()) return {DeviceDirectoryName(RunDeviceIdentity(*options.history))};
    std::vector<std::string> names;
    const std::optional<fs::path> root = HostPathOf(kHistoryDirectory);
    std::error_code error;
    if (!root) return names;
    for (const fs::directory_entry& entry : fs::directory_iterator(*root, error))
        if (entry.is_directory(error)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ResultText(const JournalRun& run)
{
    if (run.result) return *run.result;
    return "unfinished (" + run.lastPhase + ")";
}

Json RunObject(const std::string& directory, const JournalRun& run)
{
    Json object;
    object["device_directory"] = directory;
    object["run"] = run.run;
    object["device"] = TextOrNull(run.device);
    object["mode"] = TextOrNull(run.mode);
    object["attempt"] = run.attempt;
    object["started"] = TextOrNull(run.started);
    object["ended"] = TextOrNull(run.ended);
    object["last_phase"] = TextOrNull(run.lastPhase);
    object["package_version"] = TextOrNull(run.packageVersion);
    object["image_sha256"] = TextOrNull(run.imageSha256);
    object["signed_by"] = TextOrNull(run.signedBy);
    object["version_before"] = TextOrNull(run.versionBefore);
    object["version_after"] = TextOrNull(run.versionAfter);
    object["result"] = run.result ? Json(*run.result) : Json(nullptr);
    object["exit"] = run.exitStatus ? Json(*run.exitStatus) : Json(nullptr);
    object["reason"] = TextOrNull(run.reason);
    object["device_state"] = TextOrNull(run.deviceState);
    object["next_step"] = TextOrNull(run.nextStep);
    object["backup"] = TextOrNull(run.backup);
    return object;
}

void PrintRow(const std::vector<std::string>& cells)
{
    constexpr int kWidths[] = {24, 24, 8, 16, 14, 14};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::string cell = EscapeControlCharacters(cells[i]);
        if (i + 1 == cells.size())
            std::cout << cell;
        else
            std::cout << std::left << std::setw(kWidths[i]) << cell << ' ';
    }
    std::cout << '\n';
}

std::string Dash(const std::string& text) { return text.empty() ? "-" : text; }

}  // namespace

int ShowHistory(const Options& options)
{
    const std::vector<std::string> directories = DeviceDirectories(options);
    if (!options.json) PrintRow({"DEVICE", "STARTED (UTC)", "ATTEMPT", "RESULT", "BEFORE", "AFTER", "BACKUP"});
    int status = kExitCompleted;
    for (const std::string& directory : directories) {
        const Journal journal = ReadJournal(std::string(kHistoryDirectory) + "\\" + directory);
        if (!journal.problem.empty()) {
            std::cerr << "ndxu-upgrade: the journal of " << EscapeControlCharacters(directory)
                      << " cannot be read: " << EscapeControlCharacters(journal.problem) << '\n';
            status = kExitUsage;
        }
        if (journal.skippedLines > 0)
            std::cerr << "ndxu-upgrade: " << journal.skippedLines << " incomplete line(s) of the journal of "
                      << EscapeControlCharacters(directory) << " skipped\n";
        for (const JournalRun& run : journal.runs) {
            if (options.json)
                std::cout << RunObject(directory, run).dump() << '\n';
            else
                PrintRow({directory, Dash(run.started.substr(0, 19)), std::to_string(run.attempt), ResultText(run),
                          Dash(run.versionBefore), Dash(run.versionAfter), Dash(run.backup)});
        }
    }
    std::cout.flush();
    return status;
}
