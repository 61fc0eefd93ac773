// SPDX-License-Identifier: MIT
// Alternate files left in the staging directory by an earlier package take
// the place of the package's image (prod.bin) or follow it (prof.bin,
// boot.bin). The window asks before each; on the console they are uploaded
// only when the user asked for them with --use-alternates.
#pragma once

#include <string>
#include <vector>

// The alternates present, each as "<path> (<what it does>)".
std::vector<std::string> AlternatesInStaging();

// The message that stops a run because of them.
std::string AlternatesRefusal(const std::vector<std::string>& alternates);
