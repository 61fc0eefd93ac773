// SPDX-License-Identifier: MIT
// The program's resources as the window layer loads them: strings by number,
// dialog templates by id. The program registers its resource module at start,
// as an executable carries its resources with it.
#pragma once

#include <string>

#include "platform/ui/dialog_template.h"

class ResourceModule {
public:
    virtual ~ResourceModule() = default;
    // The entry's whole text; empty when there is no such entry.
    virtual std::string LoadString(UINT id) const = 0;
    // The template, or null when there is none.
    virtual const DialogTemplate* FindDialog(UINT id) const = 0;
};

void AfxSetResourceModule(const ResourceModule* module);

// Loads a string at the moment of use; empty when no module is registered or
// the entry does not exist.
std::string AfxLoadString(UINT id);

const DialogTemplate* AfxFindDialogTemplate(UINT id);

// The framework's own strings.
inline constexpr UINT AFX_IDP_NO_ERROR_AVAILABLE = 61472;
inline constexpr UINT AFX_IDP_INTERNAL_FAILURE = 61704;
