// SPDX-License-Identifier: MIT
// What a run found out and left behind, for a front-end that reports it.
#pragma once

#include <string>

#include "upgrade/run_end.h"
#include "upgrade/run_failure.h"
#include "upgrade/run_phase.h"

struct RunReport {
    RunEnd end = RunEnd::None;
    RunPhase phase = RunPhase::None;
    std::string uploading;      // in the upload phase: the device's name of the file being uploaded
    RunFailure failure;         // how a failed run told its failure, and why
    std::string versionBefore;  // the firmware version on the status page, once read
    std::string versionAfter;   // the version the device came back with, once read
    std::string backup;         // host path of the profile kept in the history, once kept
    std::string log;            // host path of the run log; empty when it is not open
    std::string logError;       // why entries of the run log were lost (RunLogWriteProblem); empty when none were
    std::string packageVersion; // the firmware version the package installs, once the package is checked
    std::string imageSha256;    // the image's SHA-256 in hex, once the package check has computed it
    std::string signedBy;       // the id of the key that signed the package; empty when unsigned
    std::string trustedComment; // the signature's trusted comment
    // Whether the run changed the device (its download-mode form was
    // answered); for a check, whether an upgrade would flash it.
    bool changed = false;
};
