// SPDX-License-Identifier: MIT
// The wizard program's command line, the same on every platform: the
// package directory, --help and --version. Each front-end shows what the
// parser has to say in its own way (a terminal, a message box).
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

inline constexpr char kWizardProgram[] = "ndxu-upgrade-wizard";
inline constexpr int kWizardExitFailed = 1;
inline constexpr int kWizardExitUsage = 2;

// Describes the command line on `parser`; the package directory, when
// given, lands in `packageDirectory`.
void DescribeWizardCommandLine(CLI::App& parser, std::optional<std::string>& packageDirectory);

// The version line --version prints.
std::string WizardVersionText();
