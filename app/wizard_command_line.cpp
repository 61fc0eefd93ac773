// SPDX-License-Identifier: MIT
#include "app/wizard_command_line.h"

#include "res/program_version.h"

namespace {

constexpr char kDescription[] =
    "Upgrades the firmware of a LAN modem from a package directory, in a wizard window that takes "
    "the device's address and password and reports each step.\n"
    "PACKAGE_DIR holds fw512000.bin and ndxuback.txt. Without it, the current directory is the "
    "package when it holds fw512000.bin; otherwise the wizard asks for the package directory with "
    "the desktop's folder chooser before its window appears.";

constexpr char kExitStatuses[] =
    "Exit status:\n"
    "  0  the wizard was closed\n"
    "  1  the window could not be started\n"
    "  2  bad usage, or no package directory (the choice was cancelled, or the directory\n"
    "     cannot be entered)";

void Describe(CLI::App& parser, std::optional<std::string>& packageDirectory)
{
    parser.description(kDescription);
    parser.name(kWizardProgram);
    parser.footer(kExitStatuses);
    parser.set_version_flag("--version", std::string(kWizardProgram) + " " + NDXU_VERSION_TEXT);
    parser.add_option("PACKAGE_DIR", packageDirectory,
                      "the package directory (default: the current directory when it holds fw512000.bin, "
                      "else the one chosen)");
}

}  // namespace

WizardCommandLine ParseWizardCommandLine(int argc, char** argv, const WizardParserReport& report)
{
    CLI::App parser;
    WizardCommandLine line;
    Describe(parser, line.packageDirectory);
    try {
        parser.parse(argc, argv);
    } catch (const CLI::ParseError& stop) {
        line.exitStatus = report(parser, stop) == 0 ? 0 : kWizardExitUsage;
    }
    return line;
}
