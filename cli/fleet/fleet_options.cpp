// SPDX-License-Identifier: MIT
#include "cli/fleet/fleet_options.h"

#include <CLI/CLI.hpp>

void AddFleetOptions(CLI::App& app, FleetOptions& options)
{
    CLI::Option* inventory =
        app.add_option("--inventory", options.inventory,
                       "upgrade the devices the FILE lists, one a line: ADDRESS [http=PORT] [ftp=PORT]; "
                       "\"#\" begins a comment")
            ->type_name("FILE");
    app.add_option("--jobs", options.jobs, "with several devices: how many are upgraded at once (default 4)")
        ->check(CLI::Range(1, 256));
    app.add_option("--max-failures", options.maxFailures,
                   "with several devices: start no further device after this many have failed")
        ->type_name("K")
        ->check(CLI::Range(1, 1000000));
    app.add_option("--device-timeout", options.deviceTimeout,
                   "with several devices: stop a device's run after this many seconds (default: 16 times "
                   "NDXU_EXCHANGE_TIMEOUT, plus the --confirm wait)")
        ->type_name("SECONDS")
        ->check(CLI::Range(1, 1000000));
    app.add_option("--retries", options.retries,
                   "with several devices: try a device again up to N times (default 0) when its run failed before "
                   "the download-mode form was posted (the device was not reached). A run that failed after that "
                   "(status 7, 9, 10, 11), a refused password, package or device, a busy or interrupted run is "
                   "never tried again. The wait before attempt k+1 is 1 s doubled k-1 times, at most 30 s, drawn "
                   "uniformly between half that and all of it; a device's attempts and waits together stay within "
                   "--device-timeout: no attempt starts whose wait would not fit, and a run stopped by the timeout "
                   "is the device's last")
        ->type_name("N")
        ->check(CLI::Range(0, 100));
    app.add_flag("--allow-aliases", options.allowAliases,
                 "with several devices: accept entries whose names reach the same address and ports (by default "
                 "they are refused as one device listed twice)");
    if (CLI::Option* address = app.get_option_no_throw("--address")) inventory->excludes(address);
}
