// SPDX-License-Identifier: MIT
#include "cli/device_run.h"

#include <iostream>
#include <optional>

#include "app/upgrade_wizard_app.h"
#include "cli/interruption.h"
#include "cli/json_events.h"
#include "upgrade/run_result.h"
#include "platform/console/console_host.h"
#include "platform/console/terminal.h"
#include "platform/console/terminal_text.h"
#include "platform/ui/resources.h"
#include "res/program_resources.h"
#include "res/resource.h"

int RunOneDevice(const Options& options, const std::string& password)
{
    // With --json, standard output carries the JSON lines alone.
    ConsoleHost host(options.json ? std::cerr : std::cout, std::cerr);
    if (!options.quiet && (options.progress || IsTerminal(StandardStream::Error))) host.EnableProgressMeter();
    AfxSetHost(&host);
    AfxSetResourceModule(&ProgramResources());

    std::optional<JsonEvents> json;
    if (options.json) json.emplace(std::cout, options.address.value_or(AfxLoadString(IDS_DEFAULT_ADDRESS)));
    InterruptionWatch interruptions;
    InterruptionWatch::LastWords lastWords;
    if (json) lastWords = [&json](int exitStatus, const std::string& entry) { json->Interrupted(exitStatus, entry); };
    interruptions.Start(std::move(lastWords), [&host](const std::string& text) { host.Notice(text); });
    // The watch knows where the run is before anyone is told.
    host.AddObserver(interruptions);
    if (json) host.AddObserver(*json);

    CUpgradeWizardApp app(options.run);
    // The user fills in the fields and presses Continue; when the run has
    // ended, the window is closed.
    host.Queue([&] {
        CUpgradeWizardDlg& wizard = *app.Wizard();
        wizard.AddRunObserver(interruptions);
        if (json) wizard.AddRunObserver(*json);
        if (options.address) wizard.SetDlgItemText(IDC_ADDRESS, *options.address);
        wizard.SetDlgItemText(IDC_PASSWORD, password);
        wizard.DispatchCommand(IDC_CONTINUE);
    });
    AfxWinMain(app);
    interruptions.RunEnded();
    const RunReport& report = app.LastRun();
    // What the device is left with comes after the failure's reason.
    if (report.failure.next) std::cerr << "  next: " << EscapeControlCharacters(report.failure.next->Text()) << '\n';
    if (!report.logError.empty())
        std::cerr << "ndxu-upgrade: the run log is incomplete: " << report.logError << '\n';
    // A run whose terminal went away has gone on to its end: the result is
    // its own, the exit status says that the terminal was lost.
    const int exitStatus = interruptions.HungUp() ? kExitHungUp : ExitStatusOf(report.end);
    if (json) json->Result(report, exitStatus);
    return exitStatus;
}
