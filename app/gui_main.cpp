// SPDX-License-Identifier: MIT
// ndxu-upgrade-wizard: the wizard window.

#include <QApplication>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "app/package_choice.h"
#include "app/upgrade_wizard_app.h"
#include "app/wizard_command_line.h"
#include "platform/qt/folder_chooser.h"
#include "platform/qt/qt_host.h"
#include "res/program_resources.h"
#include "res/resource.h"

namespace {

// The command line: the package directory, if named. Returns the exit
// status instead when the program is done already (help, version, bad usage).
struct CommandLine {
    std::optional<std::string> packageDirectory;
    std::optional<int> exitStatus;
};

CommandLine ParseCommandLine(int argc, char** argv)
{
    CLI::App parser;
    CommandLine line;
    DescribeWizardCommandLine(parser, line.packageDirectory);
    try {
        parser.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = parser.exit(e);
        line.exitStatus = status == 0 ? 0 : kWizardExitUsage;
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
            std::cerr << kWizardProgram << ": " << package.error << '\n';
            return kWizardExitUsage;
        }

        QtHost host(IDR_MAINFRAME);
        AfxSetHost(&host);
        AfxSetResourceModule(&ProgramResources());

        CUpgradeWizardApp app;
        return AfxWinMain(app);
    } catch (const std::exception& e) {
        std::cerr << kWizardProgram << ": " << e.what() << '\n';
        return kWizardExitFailed;
    }
}
