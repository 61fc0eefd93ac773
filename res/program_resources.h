// SPDX-License-Identifier: MIT
// The program's resources, registered with the window layer at start.
#pragma once

#include "platform/ui/resources.h"

const ResourceModule& ProgramResources();
