// SPDX-License-Identifier: MIT
#include "upgrade/next_step.h"

#include <stdexcept>

namespace {

constexpr char kResumeStep[] = "upload the image again with ndxu-upgrade --resume.";
constexpr char kWhileWriting[] = "Do not switch it off while it may be writing the firmware: wait a few "
                                 "minutes, then check it with "
                                 "ndxu-upgrade --check";

}  // namespace

const char* LeftStateName(LeftState state)
{
    switch (state) {
    case LeftState::DownloadMode: return "download_mode";
    case LeftState::PartialImage: return "partial_image";
    case LeftState::NotRestarted: return "not_restarted";
    case LeftState::NotBack: return "not_back";
    case LeftState::NotConfirmed: return "not_confirmed";
    case LeftState::AnswersOnlyOnFtp: return "ftp_only";
    }
    throw std::logic_error("a device state without its name");
}

NextStep DownloadModeStep()
{
    return {LeftState::DownloadMode,
            "The LAN Modem is likely waiting in download mode with its old "
            "firmware: nothing was uploaded.",
            std::string("Do not switch it off: ") + kResumeStep};
}

NextStep PartialImageStep(const std::string& file)
{
    return {LeftState::PartialImage, "The LAN Modem may hold a partial " + file + ".",
            std::string("Do not switch it off: ") + kResumeStep};
}

NextStep NotRestartedStep()
{
    return {LeftState::NotRestarted, "The LAN Modem took the image but did not restart.",
            std::string(kWhileWriting) + "."};
}

NextStep NotBackStep()
{
    return {LeftState::NotBack, "The LAN Modem restarted but did not come back.",
            std::string(kWhileWriting) + "; if only its FTP server answers, " + kResumeStep};
}

NextStep NotConfirmedStep(const std::string& found)
{
    if (found.empty())
        return {LeftState::NotConfirmed, "The LAN Modem came back, but its firmware version could not be read.",
                "Check it with ndxu-upgrade --check."};
    return {LeftState::NotConfirmed, "The LAN Modem came back with firmware " + found + ".",
            "Check that the package is the one meant for it, then run the "
            "upgrade again."};
}

NextStep AnswersOnlyOnFtpStep()
{
    return {LeftState::AnswersOnlyOnFtp,
            "The LAN Modem answers only on FTP: it is likely waiting in download "
            "mode.",
            "Run with --resume to upload the image again."};
}
