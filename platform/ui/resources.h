// SPDX-License-Identifier: MIT
// The program's resources as the window layer loads them: strings by number
// (loaded through the platform base, AfxLoadString) and dialog templates by
// id. The program registers its resource module at start, as an executable
// carries its resources with it.
#pragma once

#include "platform/base/string_resources.h"
#include "platform/ui/dialog_template.h"

class ResourceModule : public StringResources {
public:
    // The template, or null when there is none.
    virtual const DialogTemplate* FindDialog(UINT id) const = 0;
};

// Registers the module's dialog templates here and its strings with the base.
void AfxSetResourceModule(const ResourceModule* module);

const DialogTemplate* AfxFindDialogTemplate(UINT id);
