// SPDX-License-Identifier: MIT
// The program's dialog templates.
#pragma once

#include "platform/ui/dialog_template.h"

const DialogTemplate* FindProgramDialog(unsigned id);
