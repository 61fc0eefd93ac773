// SPDX-License-Identifier: MIT
#include "cli/device_run.h"

#include <chrono>
#include <cmath>
#include <iostream>
#include <optional>

#include "app/upgrade_wizard_app.h"
#include "cli/interruption.h"
#include "cli/json_events.h"
#include "cli/metrics_file.h"
#include "cli/result_line.h"
#include "platform/console/console_host.h"
#include "platform/console/terminal.h"
#include "platform/console/terminal_text.h"
#include "platform/ui/resources.h"
#include "res/program_resources.h"
#include "res/resource.h"
#include "upgrade/device_identity.h"
#include "upgrade/run_result.h"

namespace {

// With --metrics-file: the run's metrics, the device named by its address as
// given.
void WriteRunMetrics(const std::string& path, const std::string& address, const RunReport& report,
                     std::chrono::duration<double> took)
{
    DeviceMetrics device{address, FactsOfReport(report), std::nullopt};
    device.facts.duration = std::round(took.count() * 1000) / 1000;
    device.lastSuccess = LastSuccessSeconds(device.facts, RunDeviceIdentity(address), std::chrono::system_clock::now());
    WriteMetricsFile(path, {device});
}

// A completed run's last lines: where the profile was kept and the run log.
void WriteKeptFiles(const RunReport& report)
{
    if (!report.backup.empty())
        std::cerr << "ndxu-upgrade: profile kept as " << EscapeControlCharacters(report.backup) << '\n';
    if (!report.log.empty()) std::cerr << "ndxu-upgrade: run log " << EscapeControlCharacters(report.log) << '\n';
}

}  // namespace

int RunOneDevice(const Options& options, const std::string& password)
{
    const auto started = std::chrono::steady_clock::now();
    // With --json, standard output carries the JSON lines alone.
    ConsoleHost host(options.json ? std::cerr : std::cout, std::cerr);
    if (!options.quiet && (options.progress || IsTerminal(StandardStream::Error))) host.EnableProgressMeter();
    if (IsTerminal(StandardStream::Error)) host.EraseEchoBeforeNotices();
    AfxSetHost(&host);
    AfxSetResourceModule(&ProgramResources());
    const std::string address = options.address.value_or(AfxLoadString(IDS_DEFAULT_ADDRESS));

    std::optional<JsonEvents> json;
    if (options.json) json.emplace(std::cout, address);
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
    if (!json && exitStatus == 0) WriteKeptFiles(report);
    if (json) json->Result(report, exitStatus);
    if (options.metricsFile)
        WriteRunMetrics(*options.metricsFile, address, report, std::chrono::steady_clock::now() - started);
    return exitStatus;
}
