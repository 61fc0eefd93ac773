// SPDX-License-Identifier: MIT
// The wizard program's command line, the same on every platform: the
// package directory, --help and --version. Each front-end shows what the
// parser has to say in its own way (a terminal, a message box).
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <string>

inline constexpr char kWizardProgram[] = "ndxu-upgrade-wizard";
inline constexpr int kWizardExitFailed = 1;
inline constexpr int kWizardExitUsage = 2;

// What the command line asks for: the package directory, if named, or the
// exit status when the program is done already (help, version, bad usage).
struct WizardCommandLine {
    std::optional<std::string> packageDirectory;
    std::optional<int> exitStatus;
};

// Shows what the parser has to say when it stops the program: the help,
// the version line (the stop's text) or a usage error. Returns 0 when the
// program ends well (help, version).
using WizardParserReport = std::function<int(const CLI::App& parser, const CLI::ParseError& stop)>;

// Reads the command line; `report` shows why the program stops there, if it
// does, and the exit status is then 0 or kWizardExitUsage.
WizardCommandLine ParseWizardCommandLine(int argc, char** argv, const WizardParserReport& report);
