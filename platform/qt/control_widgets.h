// SPDX-License-Identifier: MIT
// The widgets that show the controls of a dialog: one per control, placed
// and sized from the template, and kept in step with the control's state.
#pragma once

#include "platform/qt/dialog_units.h"
#include "platform/ui/control.h"

class QWidget;

// A child of `parent` showing `control`, named after the control's id.
QWidget* CreateControlWidget(const Control& control, const DialogBaseUnits& units, QWidget* parent);

// Shows the control's text, visibility and default-button look.
void UpdateControlWidget(QWidget& widget, const Control& control);
