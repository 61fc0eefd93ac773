// SPDX-License-Identifier: MIT
// The program's strings by number, loaded at the moment of use. The program
// registers its string table at start (through the window layer's
// AfxSetResourceModule, whose resource module is one), as an executable
// carries its strings with it.
#pragma once

#include <string>

#include "platform/base/win_types.h"

class StringResources {
public:
    virtual ~StringResources() = default;
    // The entry's whole text; empty when there is no such entry.
    virtual std::string LoadString(UINT id) const = 0;
};

// Registers the strings that AfxLoadString loads; null: none.
void AfxSetStringResources(const StringResources* strings);

// Loads a string at the moment of use; empty when no strings are registered
// or the entry does not exist.
std::string AfxLoadString(UINT id);

// The framework's own strings.
inline constexpr UINT AFX_IDP_NO_ERROR_AVAILABLE = 61472;
inline constexpr UINT AFX_IDP_INTERNAL_FAILURE = 61704;
