// SPDX-License-Identifier: MIT
// ndxu-upgrade-wizard: the wizard window.

#include <CLI/CLI.hpp>
#include <QApplication>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "app/package_choice.h"
#include "app/upgrade_wizard_app.h"
#include "app/version.h"
#include "platform/qt/folder_chooser.h"
#include "platform/qt/qt_host.h"
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
    "the desktop's folder chooser before its window appears.";

constexpr char kExitStatuses[] =
    "Exit status:\n"
    "  0  the wizard was closed\n"
    "  1  the window could not be started\n"
    "  2  bad usage, or no package directory (the choice was cancelled, or the directory\n"
    "     cannot be entered)";

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
    parser.set_version_flag("--version", std::string(kProgram) + " " + kNdxuVersionText);
    CommandLine line;
    parser.add_option("PACKAGE_DIR", line.packageDirectory,
                      "the package directory (default: the current directory when it holds fw512000.bin, "
                      "else the one chosen)");
    try {
        parser.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = parser.exit(e);
        line.exitStatus = status == 0 ? 0 : kExitUsage;
    }
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
    // The command line is read before Qt starts, so that --help and
    // --version work without a display.
    const CommandLine line = ParseCommandLine(argc, argv);
    if (line.exitStatus) return *line.exitStatus;

    QApplication qtApplication(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("ndxu-upgrade-wizard"));
    try {
        const PackageChoice package = EnterPackageDirectory(line.packageDirectory, ChooseFolder);
        if (!package.directory) {
            std::cerr << kProgram << ": " << package.error << '\n';
            return kExitUsage;
        }

        QtHost host(IDR_MAINFRAME);
        AfxSetHost(&host);
        AfxSetResourceModule(&ProgramResources());

        CUpgradeWizardApp app;
        return AfxWinMain(app);
    } catch (const std::exception& e) {
        std::cerr << kProgram << ": " << e.what() << '\n';
        return kExitFailed;
    }
}
