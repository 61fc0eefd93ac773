// SPDX-License-Identifier: MIT
#include "cli/run_result.h"

#include <stdexcept>

#include "cli/options.h"

namespace {

struct Ending {
    RunEnd end;
    const char* name;
    int exitStatus;
};

constexpr Ending kEndings[] = {
    {RunEnd::Completed, "completed", kExitCompleted},
    {RunEnd::Checked, "checked", kExitCompleted},
    {RunEnd::InputRefused, "input_refused", kExitInputRefused},
    {RunEnd::PackageRefused, "package_refused", kExitInputRefused},
    {RunEnd::DeviceNotReached, "device_not_reached", kExitDeviceNotReached},
    {RunEnd::PasswordRefused, "password_refused", kExitPasswordRefused},
    {RunEnd::WrongDevice, "wrong_device", kExitWrongDevice},
    {RunEnd::DownloadModeRefused, "download_mode_refused", kExitDownloadModeRefused},
    {RunEnd::None, "log_not_opened", kExitLogNotOpened},
    {RunEnd::UploadNotStarted, "upload_not_started", kExitUploadNotStarted},
    {RunEnd::UploadFailed, "upload_failed", kExitUploadFailed},
    {RunEnd::NotConfirmed, "not_confirmed", kExitNotConfirmed},
    {RunEnd::UpToDate, "up_to_date", kExitCompleted},
    {RunEnd::DowngradeRefused, "downgrade_refused", kExitDowngradeRefused},
};

const Ending& EndingOf(RunEnd end)
{
    for (const Ending& ending : kEndings)
        if (ending.end == end) return ending;
    throw std::logic_error("a run end without its row in the table of endings");
}

}  // namespace

int ExitStatusOf(RunEnd end) { return EndingOf(end).exitStatus; }

const char* ResultNameOf(RunEnd end) { return EndingOf(end).name; }
