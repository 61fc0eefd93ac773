// SPDX-License-Identifier: MIT
// What a metrics file (ndxu-upgrade --metrics-file) says, read two ways:
// its own sample lines, and on Linux what the Prometheus client library's
// parser makes of it (tests/cli/check-metrics.py through /usr/bin/python3;
// Windows has no such Python). Both give a sample as
// "NAME{LABEL="VALUE",...} VALUE", the labels sorted by name.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The sample lines of the file's text: every line that is no comment.
std::vector<std::string> SampleLines(const std::string& text);

struct ParsedMetrics {
    int exitStatus = -1;                // the parser script's: 0 when the file parsed
    std::string problem;                // what it wrote to standard error
    std::vector<std::string> families;  // "NAME TYPE HELP"
    std::vector<std::string> samples;
};

#ifndef _WIN32
// The file as the client library's parser reads it.
ParsedMetrics ParseMetricsFile(const std::filesystem::path& file);
#endif

// Whether `samples` hold `wanted`; a wanted VALUE of "*" stands for any.
bool HoldsSample(const std::vector<std::string>& samples, const std::string& wanted);
