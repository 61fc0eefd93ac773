// SPDX-License-Identifier: MIT
// A front-end that follows a run as it goes: the wizard window keeps the
// report; the console's interruption watch, its JSON lines and a fleet's
// supervisor (through those lines) follow the phases.
#pragma once

#include "upgrade/run_report.h"

class RunObserver {
public:
    virtual ~RunObserver() = default;

    // The run entered report.phase; the report holds what the run knows by
    // then (the version found, the backup kept, the file being uploaded).
    virtual void OnPhase(const RunReport& /*report*/) {}
    // Something else in the report changed: a fact learnt, the end, the failure.
    virtual void OnReport(const RunReport& /*report*/) {}
};
