// How an upgrade run ended, for a front-end that reports it.
#pragma once

enum class RunEnd {
    None,           // no run yet
    InputRefused,   // an input check failed
    EarlyFailure,   // the run ended before the FTP phase
    LateFailure,    // the run ended in or after the FTP phase
    Completed,      // the completion screen is shown
};
