// SPDX-License-Identifier: MIT
// --metrics-file: how each device's run ended, in the text format that a
// Prometheus textfile collector reads, each metric with its HELP and TYPE:
//   ndxu_firmware_info{device,version} 1          the version the device runs
//                                                 after the run (none known: no line)
//   ndxu_upgrade_last_result{device,result} 1     the run's result (ResultName)
//   ndxu_upgrade_last_success_timestamp_seconds{device}
//                                                 the end of its last successful run
//                                                 (none known: no line)
//   ndxu_upgrade_duration_seconds{device}         the run's duration
//   ndxu_upgrade_devices{result}                  the devices of each result present
//   ndxu_upgrade_devices_total                    the devices of the run
// All of them are gauges. The file is replaced whole (see
// platform/files/replaced_file.h), so that a collector never reads half of it.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/result_line.h"
#include "upgrade/device_identity.h"

struct DeviceMetrics {
    std::string device;  // the device label: the address as given (in a fleet, the device's name)
    ResultFacts facts;
    std::optional<double> lastSuccess;  // Unix seconds
};

// `value` as a label value is written between its double quotes: backslash,
// double quote and line feed escaped as \\, \" and \n.
std::string EscapedLabelValue(std::string_view value);

// The metrics file's text for the devices of a run, in their order.
std::string MetricsText(const std::vector<DeviceMetrics>& devices);

// When the device's last successful run ended, in Unix seconds: `end` when
// `facts` are a success, else the end of the latest run with a successful
// result in the journal of the device `identity` names. None when there is
// no such run, or the journal cannot be read (the runs that use it say so).
std::optional<double> LastSuccessSeconds(const ResultFacts& facts, const DeviceIdentity& identity,
                                         std::chrono::system_clock::time_point end);

// Writes the metrics of `devices` to the file `path` (a path of this
// system). A file that cannot be written is reported on standard error:
// "ndxu-upgrade: the metrics file PATH cannot be written: REASON"; the run's
// exit status stays its own.
void WriteMetricsFile(const std::string& path, const std::vector<DeviceMetrics>& devices);
