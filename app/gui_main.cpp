// SPDX-License-Identifier: MIT
// ndxu-upgrade-wizard: the wizard window.

#include <QApplication>
#include <exception>
#include <iostream>
#include <string>

#include "app/package_choice.h"
#include "app/upgrade_wizard_app.h"
#include "app/wizard_command_line.h"
#include "platform/qt/file_chooser.h"
#include "platform/qt/folder_chooser.h"
#include "platform/qt/qt_host.h"
#include "res/program_resources.h"
#include "res/resource.h"

int main(int argc, char** argv)
{
    // The command line is read before Qt starts, so that --help and
    // --version work without a display.
    const WizardCommandLine line = ParseWizardCommandLine(
        argc, argv, [](const CLI::App& parser, const CLI::ParseError& stop) { return parser.exit(stop); });
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

        CUpgradeWizardApp app({}, ChooseProfileFile);
        return AfxWinMain(app);
    } catch (const std::exception& e) {
        std::cerr << kWizardProgram << ": " << e.what() << '\n';
        return kWizardExitFailed;
    }
}
