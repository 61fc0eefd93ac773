// SPDX-License-Identifier: MIT
#include "upgrade/run_phase.h"

const char* PhaseName(RunPhase phase)
{
    switch (phase) {
    case RunPhase::None: return "none";
    case RunPhase::InputCheck: return "input_check";
    case RunPhase::PackageCheck: return "package_check";
    case RunPhase::WebLogin: return "web_login";
    case RunPhase::VersionCheck: return "version_check";
    case RunPhase::DownloadMode: return "download_mode";
    case RunPhase::FtpSession: return "ftp_session";
    case RunPhase::Backup: return "backup";
    case RunPhase::Upload: return "upload";
    case RunPhase::Completed: return "completed";
    case RunPhase::Confirmation: return "confirmation";
    }
    return "none";
}
