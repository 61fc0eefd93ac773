// SPDX-License-Identifier: MIT
#include "upgrade/run_result.h"

#include <stdexcept>

#include "upgrade/exit_status.h"

namespace {

struct Row {
    RunResult result;
    const char* name;
    std::optional<RunEnd> end;  // the run's end that gives the result
    std::optional<int> exitStatus;
    bool succeeded;
};

constexpr Row kResults[] = {
    {RunResult::Completed, "completed", RunEnd::Completed, kExitCompleted, true},
    {RunResult::Checked, "checked", RunEnd::Checked, kExitCompleted, true},
    {RunResult::UpToDate, "up_to_date", RunEnd::UpToDate, kExitCompleted, true},
    {RunResult::InputRefused, "input_refused", RunEnd::InputRefused, kExitInputRefused, false},
    {RunResult::PackageRefused, "package_refused", RunEnd::PackageRefused, kExitInputRefused, false},
    {RunResult::DeviceNotReached, "device_not_reached", RunEnd::DeviceNotReached, kExitDeviceNotReached, false},
    {RunResult::PasswordRefused, "password_refused", RunEnd::PasswordRefused, kExitPasswordRefused, false},
    {RunResult::WrongDevice, "wrong_device", RunEnd::WrongDevice, kExitWrongDevice, false},
    {RunResult::DownloadModeRefused, "download_mode_refused", RunEnd::DownloadModeRefused, kExitDownloadModeRefused,
     false},
    {RunResult::LogNotOpened, "log_not_opened", RunEnd::None, kExitLogNotOpened, false},
    {RunResult::UploadNotStarted, "upload_not_started", RunEnd::UploadNotStarted, kExitUploadNotStarted, false},
    {RunResult::UploadFailed, "upload_failed", RunEnd::UploadFailed, kExitUploadFailed, false},
    {RunResult::NotConfirmed, "not_confirmed", RunEnd::NotConfirmed, kExitNotConfirmed, false},
    {RunResult::DowngradeRefused, "downgrade_refused", RunEnd::DowngradeRefused, kExitDowngradeRefused, false},
    {RunResult::DeviceBusy, "device_busy", RunEnd::DeviceBusy, kExitDeviceBusy, false},
    {RunResult::ProfileRestored, "profile_restored", RunEnd::ProfileRestored, kExitCompleted, true},
    {RunResult::Interrupted, "interrupted", std::nullopt, std::nullopt, false},
    {RunResult::Crashed, "crashed", std::nullopt, std::nullopt, false},
    {RunResult::TimedOut, "timed_out", std::nullopt, std::nullopt, false},
    {RunResult::NotStarted, "not_started", std::nullopt, std::nullopt, false},
};

const Row& RowOf(RunResult result)
{
    for (const Row& row : kResults)
        if (row.result == result) return row;
    throw std::logic_error("a result without its row in the table of results");
}

}  // namespace

RunResult ResultOf(RunEnd end)
{
    for (const Row& row : kResults)
        if (row.end == end) return row.result;
    throw std::logic_error("a run end without its row in the table of results");
}

const char* ResultName(RunResult result) { return RowOf(result).name; }

std::optional<RunResult> ResultNamed(std::string_view name)
{
    for (const Row& row : kResults)
        if (row.name == name) return row.result;
    return std::nullopt;
}

std::optional<int> ExitStatusOf(RunResult result) { return RowOf(result).exitStatus; }

bool Succeeded(RunResult result) { return RowOf(result).succeeded; }

int ExitStatusOf(RunEnd end) { return *ExitStatusOf(ResultOf(end)); }

