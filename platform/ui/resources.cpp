// SPDX-License-Identifier: MIT
#include "platform/ui/resources.h"

namespace {
const ResourceModule* g_module = nullptr;
}

void AfxSetResourceModule(const ResourceModule* module)
{
    g_module = module;
    AfxSetStringResources(module);
}

const DialogTemplate* AfxFindDialogTemplate(UINT id)
{
    return g_module ? g_module->FindDialog(id) : nullptr;
}
