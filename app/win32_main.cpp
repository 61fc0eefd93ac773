// SPDX-License-Identifier: MIT
// ndxu-upgrade-wizard.exe: the wizard window on Windows. A window program
// has no console, so what it has to say before its window appears (help,
// version, bad usage, no package) is shown in a message box.

#include <exception>
#include <optional>
#include <string>

#include "app/package_choice.h"
#include "app/upgrade_wizard_app.h"
#include "app/wizard_command_line.h"
#include "platform/win32/folder_chooser.h"
#include "platform/win32/message_box.h"
#include "platform/win32/win32_host.h"
#include "res/program_resources.h"
#include "res/resource.h"

namespace {

void Tell(const std::string& text, MessageIcon icon) { ShowMessageBox(nullptr, text, kWizardProgram, icon); }

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
    } catch (const CLI::CallForHelp&) {
        Tell(parser.help(), MessageIcon::None);
        line.exitStatus = 0;
    } catch (const CLI::CallForVersion&) {
        Tell(WizardVersionText(), MessageIcon::None);
        line.exitStatus = 0;
    } catch (const CLI::ParseError& e) {
        Tell(std::string(e.what()) + "\nRun with --help for more information.", MessageIcon::Stop);
        line.exitStatus = kWizardExitUsage;
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
            return kWizardExitUsage;
        }

        Win32Host host(GetModuleHandleW(nullptr), IDR_MAINFRAME);
        AfxSetHost(&host);
        AfxSetResourceModule(&ProgramResources());

        CUpgradeWizardApp app;
        return AfxWinMain(app);
    } catch (const std::exception& e) {
        Tell(e.what(), MessageIcon::Stop);
        return kWizardExitFailed;
    }
}
