// SPDX-License-Identifier: MIT
// What a failed run left the device with, and what the user does next: for
// a run that ended after the device's download-mode form was answered, and
// for a device found answering only on FTP. Every front-end tells it from
// here: the console's "next:" line, the JSON result, the run log, the window.
#pragma once

#include <string>

enum class LeftState {
    DownloadMode,      // waiting in download mode with its old firmware
    PartialImage,      // an upload broke off: the device may hold part of a file
    NotRestarted,      // took every upload but did not restart
    NotBack,           // restarted and did not come back
    NotConfirmed,      // came back, but not with the version expected, or its version
                       // could not be read
    AnswersOnlyOnFtp,  // its web pages do not answer, its download mode's FTP
                       // server does
};

// "download_mode", "partial_image", "not_restarted", "not_back",
// "not_confirmed", "ftp_only": the state's name in the JSON result.
const char* LeftStateName(LeftState state);

struct NextStep {
    LeftState state;
    std::string stateText;  // "The LAN Modem may hold a partial fw512000.bin."
    std::string step;       // "Do not switch it off: ..."

    // The state and the step in one line.
    std::string Text() const { return stateText + " " + step; }
};

NextStep DownloadModeStep();
// `file`: the device's name of the file whose upload broke off.
NextStep PartialImageStep(const std::string& file);
NextStep NotRestartedStep();
NextStep NotBackStep();
// `found`: the version the device came back with; empty when it could not be
// read.
NextStep NotConfirmedStep(const std::string& found);
NextStep AnswersOnlyOnFtpStep();
