// SPDX-License-Identifier: MIT
// Two entries of a fleet that name one modem in different ways ("localhost"
// and "127.0.0.1", or two names of one address): each entry's name is
// resolved once, before any device starts, and two entries whose addresses
// meet on the same ports are refused as one device listed twice.
#pragma once

#include <vector>

#include "cli/fleet/inventory.h"

// Throws InventoryError naming both entries of the first pair that reach
// the same address with the same ports. A name that resolves to nothing
// meets nothing: its own run reports it.
void RefuseAliases(const std::vector<FleetDevice>& devices);
