// SPDX-License-Identifier: MIT
// A dialog template of the window layer as the system's extended dialog
// template (DLGTEMPLATEEX) in memory, for CreateDialogIndirectParam.
#pragma once

#include <vector>

#include "platform/ui/dialog_template.h"

// The template's window is not visible at creation: the host shows it once
// the dialog has initialised it. A picture names its image by resource
// number, which the system loads from the module that creates the dialog.
std::vector<WORD> BuildInMemoryTemplate(const DialogTemplate& dialogTemplate);
