// SPDX-License-Identifier: MIT
// ndxu-upgrade-wizard.exe: the wizard window on Windows. A window program
// has no console, so what it has to say before its window appears (help,
// version, bad usage, no package) is shown in a message box.

#include <CLI/CLI.hpp>
#include <exception>
#include <optional>
#include <string>

#include "app/package_choice.h"
#include "app/upgrade_wizard_app.h"
#include "app/version.h"
#include "platform/win32/folder_chooser.h"
#include "platform/win32/message_box.h"
#include "platform/win32/win32_host.h"
#include "res/program_resources.h"
#include "res/resource.h"

namespace {

constexpr char kProgram[] = "ndxu-upgrade-wizard";
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr char kDescription[] =
    "Upgrades the firmware of a LAN modem from a package directory, in a wizard window that takes "
    "the device's address and password and reports each step.\n"
    "PACKAGE_DIR holds fw512000.bin and ndxuback.txt. Without it, the current directory is the "
    "package when it holds fw512000.bin; otherwise the wizard asks for the package directory with "
    "the folder chooser before its window appears.";

constexpr char kExitStatuses[] =
    "Exit status:\n"
    "  0  the wizard was closed\n"
    "  1  the window could not be started\n"
    "  2  bad usage, or no package directory (the choice was cancelled, or the directory\n"
    "     cannot be entered)";

void Tell(const std::string& text, MessageIcon icon) { ShowMessageBox(nullptr, text, kProgram, icon); }

// The command line: the package directory, if named. Returns the exit
// status instead when the program is done already (help, version, bad usage).
struct CommandLine {
    std::optional<std::string> packageDirectory;
    std::optional<int> exitStatus;
};

CommandLine ParseCommandLine(int argc, char** argv)
{
    CLI::App parser(kDescription, kProgram);
    parser.footer(kExitStatuses);
    const std::string version = std::string(kProgram) + " " + kNdxuVersionText;
    parser.set_version_flag("--version", version);
    CommandLine line;
    parser.add_option("PACKAGE_DIR", line.packageDirectory,
                      "the package directory (default: the current directory when it holds fw512000.bin, "
                      "else the one chosen)");
    try {
        parser.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        Tell(parser.help(), MessageIcon::None);
        line.exitStatus = 0;
    } catch (const CLI::CallForVersion&) {
        Tell(version, MessageIcon::None);
        line.exitStatus = 0;
    } catch (const CLI::ParseError& e) {
        Tell(std::string(e.what()) + "\nRun with --help for more information.", MessageIcon::Stop);
        line.exitStatus = kExitUsage;
    }
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const CommandLine line = ParseCommandLine(argc, argv);
        if (line.exitStatus) return *line.exitStatus;

        const PackageChoice package = EnterPackageDirectory(line.packageDirectory, ChooseFolder);
        if (!package.directory) {
            Tell(package.error, MessageIcon::Stop);
            return kExitUsage;
        }

        Win32Host host(GetModuleHandleW(nullptr), IDR_MAINFRAME);
        AfxSetHost(&host);
        AfxSetResourceModule(&ProgramResources());

        CUpgradeWizardApp app;
        return AfxWinMain(app);
    } catch (const std::exception& e) {
        Tell(e.what(), MessageIcon::Stop);
        return kExitFailed;
    }
}
