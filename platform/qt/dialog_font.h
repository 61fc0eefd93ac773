// SPDX-License-Identifier: MIT
// The font of a dialog: the template's face and point size when the system
// has that face, else the system's sans-serif face at that size.
#pragma once

#include <QFont>

#include "platform/ui/dialog_template.h"

QFont DialogFont(const DialogTemplate& dialogTemplate);
