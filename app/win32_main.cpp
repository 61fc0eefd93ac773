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
#include "platform/win32/file_chooser.h"
#include "platform/win32/folder_chooser.h"
#include "platform/win32/message_box.h"
#include "platform/win32/win32_host.h"
#include "res/program_resources.h"
#include "res/resource.h"

namespace {

void Tell(const std::string& text, MessageIcon icon) { ShowMessageBox(nullptr, text, kWizardProgram, icon); }

// What the parser has to say, in a message box: a window program has no
// console to print it on.
int Report(const CLI::App& parser, const CLI::ParseError& stop)
{
    if (dynamic_cast<const CLI::CallForHelp*>(&stop)) {
        Tell(parser.help(), MessageIcon::None);
        return 0;
    }
    if (stop.get_exit_code() == 0) {
        Tell(stop.what(), MessageIcon::None);
        return 0;
    }
    Tell(std::string(stop.what()) + "\nRun with --help for more information.", MessageIcon::Stop);
    return stop.get_exit_code();
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const WizardCommandLine line = ParseWizardCommandLine(argc, argv, Report);
        if (line.exitStatus) return *line.exitStatus;

        const PackageChoice package = EnterPackageDirectory(line.packageDirectory, ChooseFolder);
        if (!package.directory) {
            Tell(package.error, MessageIcon::Stop);
            return kWizardExitUsage;
        }

        Win32Host host(GetModuleHandleW(nullptr), IDR_MAINFRAME);
        AfxSetHost(&host);
        AfxSetResourceModule(&ProgramResources());

        CUpgradeWizardApp app({}, ChooseProfileFile);
        return AfxWinMain(app);
    } catch (const std::exception& e) {
        Tell(e.what(), MessageIcon::Stop);
        return kWizardExitFailed;
    }
}
