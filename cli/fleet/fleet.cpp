// SPDX-License-Identifier: MIT
#include "cli/fleet/fleet.h"

#include <chrono>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>

#include "cli/alternates.h"
#include "cli/fleet/aliases.h"
#include "cli/fleet/fleet_child.h"
#include "cli/fleet/fleet_display.h"
#include "cli/fleet/fleet_json_output.h"
#include "cli/fleet/fleet_summary.h"
#include "cli/fleet/fleet_supervisor.h"
#include "cli/fleet/inventory.h"
#include "cli/metrics_file.h"
#include "cli/password.h"
#include "platform/console/terminal.h"
#include "platform/inet/layer_settings.h"
#include "platform/process/child_process.h"
#include "upgrade/utc_time.h"

namespace {

constexpr char kProgram[] = "ndxu-upgrade: ";
// A run makes about a dozen requests and transfers, each bounded by
// NDXU_EXCHANGE_TIMEOUT: sixteen of them bound a whole run with room to spare.
constexpr int kExchangesPerRun = 16;

std::optional<std::vector<FleetDevice>> Devices(const Options& options, const LayerSettings& settings)
{
    const DevicePorts defaults{options.httpPort.value_or(settings.httpPort),
                               options.ftpPort.value_or(settings.ftpPort)};
    try {
        std::vector<FleetDevice> devices = options.fleet.inventory ? ReadInventory(*options.fleet.inventory, defaults)
                                                                   : DevicesFromAddresses(options.fleet.addresses, defaults);
        if (!options.fleet.allowAliases) RefuseAliases(devices);
        return devices;
    } catch (const InventoryError& e) {
        std::cerr << kProgram << e.what() << '\n';
        return std::nullopt;
    }
}

std::chrono::seconds DeviceTimeout(const Options& options, const LayerSettings& settings)
{
    if (options.fleet.deviceTimeout) return std::chrono::seconds(*options.fleet.deviceTimeout);
    return kExchangesPerRun * settings.exchangeTimeout + options.run.confirmWithin.value_or(std::chrono::seconds(0));
}

std::unique_ptr<FleetObserver> Display(const std::vector<FleetDevice>& devices)
{
    const std::optional<TerminalSize> terminal = SizeOfTerminal(StandardStream::Error);
    if (IsTerminal(StandardStream::Error) && terminal) return std::make_unique<LiveDisplay>(std::cerr, *terminal, devices);
    return std::make_unique<LineDisplay>(std::cerr, devices);
}

// The width the summary table is fitted to: that of the terminal it is shown
// on; none with --json, which keeps every cell whole.
std::optional<int> SummaryColumns(const Options& options)
{
    if (options.json || !IsTerminal(StandardStream::Output)) return std::nullopt;
    if (const std::optional<TerminalSize> terminal = SizeOfTerminal(StandardStream::Output)) return terminal->columns;
    return std::nullopt;
}

// When the device's run ended: the time of its result line, else now.
std::chrono::system_clock::time_point EndOf(const DeviceRun& run)
{
    const nlohmann::ordered_json line = nlohmann::ordered_json::parse(run.resultLine, nullptr, false);
    const auto time = line.is_object() ? line.find("time") : line.end();
    if (time != line.end() && time->is_string())
        if (const auto end = ParseUtcTimestamp(time->get<std::string>())) return *end;
    return std::chrono::system_clock::now();
}

// With --metrics-file: every device's metrics, in the inventory's order.
void WriteFleetMetrics(const std::string& path, const FleetOutcome& outcome)
{
    std::vector<DeviceMetrics> devices;
    for (const DeviceRun& run : outcome.runs) {
        if (!run.result) continue;
        devices.push_back({run.device.name, *run.result,
                           LastSuccessSeconds(*run.result, IdentityOf(run.device), EndOf(run))});
    }
    WriteMetricsFile(path, devices);
}

}  // namespace

int RunFleet(const Options& options)
{
    const LayerSettings layer = ReadLayerSettings();
    const std::optional<std::vector<FleetDevice>> devices = Devices(options, layer);
    if (!devices) return kExitUsage;
    // Alternates would stop every device's run: said once, before any starts.
    if (!options.run.checkOnly && !options.useAlternates) {
        if (const std::vector<std::string> alternates = AlternatesInStaging(); !alternates.empty()) {
            std::cerr << kProgram << AlternatesRefusal(alternates) << '\n';
            return kExitUsage;
        }
    }

    // Read before any device starts, and refused before any is touched.
    const std::optional<std::string> password = ReadPassword(options.passwordFromStdin);
    if (!password) return kExitUsage;

    SupervisorSettings settings;
    settings.program = OwnProgram();
    settings.arguments = [&options](const FleetDevice& device, int attempt) {
        return DeviceArguments(options, device, attempt);
    };
    settings.input = *password + "\n";
    settings.jobs = options.fleet.jobs;
    settings.maxFailures = options.fleet.maxFailures;
    settings.retries = options.fleet.retries;
    settings.deviceTimeout = DeviceTimeout(options, layer);

    const std::unique_ptr<FleetObserver> display = Display(*devices);
    JsonOutput json(std::cout);
    FleetObservers observers(options.json ? std::vector<FleetObserver*>{display.get(), &json}
                                          : std::vector<FleetObserver*>{display.get()});
    const FleetOutcome outcome = SuperviseFleet(*devices, settings, observers);

    WriteSummaryTable(options.json ? std::cerr : std::cout, outcome, options.run.checkOnly, SummaryColumns(options));
    if (options.json) std::cout << SummaryObject(outcome).dump() << std::endl;
    if (options.metricsFile) WriteFleetMetrics(*options.metricsFile, outcome);
    return FleetExitStatus(outcome);
}
