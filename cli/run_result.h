// SPDX-License-Identifier: MIT
// How a run's end is reported on the console: its exit status, and its
// result's name in the JSON lines.
#pragma once

#include "upgrade/run_end.h"

int ExitStatusOf(RunEnd end);

// "completed", "checked", "password_refused", ...; a run that never began
// because its log could not be opened is "log_not_opened".
const char* ResultNameOf(RunEnd end);
