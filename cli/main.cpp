// ndxu-upgrade: the upgrade run of the wizard window, on the console.

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "app/upgrade_wizard_app.h"
#include "cli/options.h"
#include "platform/console/console_host.h"
#include "res/program_resources.h"
#include "res/resource.h"

namespace {

std::string ReadPassword(bool fromStdin)
{
    if (fromStdin) {
        std::string line;
        std::getline(std::cin, line);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
    const char* fromEnvironment = std::getenv("NDXU_PASSWORD");
    return fromEnvironment ? fromEnvironment : "";
}

int ExitStatusOf(RunEnd end)
{
    switch (end) {
    case RunEnd::Completed: return kExitCompleted;
    case RunEnd::InputRefused: return kExitInputRefused;
    case RunEnd::LateFailure: return kExitFailedInTransfer;
    case RunEnd::EarlyFailure:
    case RunEnd::None: return kExitFailedBeforeTransfer;
    }
    return kExitFailedBeforeTransfer;
}

// The layer's port settings, as the device's ports.
void SetServicePorts(const Options& options)
{
    if (options.httpPort) setenv("NDXU_HTTP_PORT", std::to_string(*options.httpPort).c_str(), 1);
    if (options.ftpPort) setenv("NDXU_FTP_PORT", std::to_string(*options.ftpPort).c_str(), 1);
}

}  // namespace

int main(int argc, char** argv)
{
    ParseResult parsed = ParseOptions(argc, argv);
    if (!parsed.options) return parsed.exitStatus;
    const Options& options = *parsed.options;

    const std::string password = ReadPassword(options.passwordFromStdin);
    if (::chdir(options.packageDirectory.c_str()) != 0) {
        std::cerr << "ndxu-upgrade: cannot enter the package directory " << options.packageDirectory << '\n';
        return kExitUsage;
    }
    SetServicePorts(options);

    ConsoleHost host(std::cout, std::cerr);
    AfxSetHost(&host);
    AfxSetResourceModule(&ProgramResources());

    CUpgradeWizardApp app;
    RunEnd end = RunEnd::None;
    // The user fills in the fields and presses Continue; when the run has
    // ended, the window is closed.
    host.Queue([&] {
        CUpgradeWizardDlg& wizard = *app.Wizard();
        if (options.address) wizard.SetDlgItemText(IDC_ADDRESS, *options.address);
        wizard.SetDlgItemText(IDC_PASSWORD, password);
        wizard.DispatchCommand(IDC_CONTINUE);
        end = wizard.LastRunEnd();
    });
    AfxWinMain(app);
    return ExitStatusOf(end);
}
