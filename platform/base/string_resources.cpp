// SPDX-License-Identifier: MIT
#include "platform/base/string_resources.h"

namespace {
const StringResources* g_strings = nullptr;
}

void AfxSetStringResources(const StringResources* strings) { g_strings = strings; }

std::string AfxLoadString(UINT id) { return g_strings ? g_strings->LoadString(id) : std::string{}; }
