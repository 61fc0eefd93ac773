// SPDX-License-Identifier: MIT
// The state of one control of a dialog, kept by the window layer; a host
// shows it.
#pragma once

#include <string>

#include "platform/ui/dialog_template.h"

struct Control {
    const ControlTemplate* tmpl;
    std::string text;
    bool visible = true;
    bool defaultLook = false;  // drawn as the default push button

    int id() const { return tmpl->id; }
    ControlKind kind() const { return tmpl->kind; }
};
