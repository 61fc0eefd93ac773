// SPDX-License-Identifier: MIT
#include "res/program_resources.h"

#include "res/dialog_templates.h"
#include "res/string_table.h"

namespace {

class ProgramResourceModule : public ResourceModule {
public:
    std::string LoadString(UINT id) const override { return LoadTableString(id); }
    const DialogTemplate* FindDialog(UINT id) const override { return FindProgramDialog(id); }
};

}  // namespace

const ResourceModule& ProgramResources()
{
    static const ProgramResourceModule module;
    return module;
}
