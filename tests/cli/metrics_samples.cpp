// SPDX-License-Identifier: MIT
#include "tests/cli/metrics_samples.h"

#include <algorithm>
#include <sstream>

#include "tests/support/process.h"

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

std::vector<std::string> SampleLines(const std::string& text)
{
    std::vector<std::string> samples;
    for (const std::string& line : Lines(text))
        if (!line.starts_with("#")) samples.push_back(line);
    return samples;
}

#ifndef _WIN32
ParsedMetrics ParseMetricsFile(const std::filesystem::path& file)
{
    const ProcessResult result = RunProcess({"/usr/bin/python3", NDXU_CHECK_METRICS_SCRIPT, file.string()});
    ParsedMetrics parsed;
    parsed.exitStatus = result.exitStatus;
    parsed.problem = result.err;
    for (const std::string& line : Lines(result.out)) {
        if (line.starts_with("# TYPE "))
            parsed.families.push_back(line.substr(7));
        else
            parsed.samples.push_back(line);
    }
    return parsed;
}
#endif

bool HoldsSample(const std::vector<std::string>& samples, const std::string& wanted)
{
    const std::size_t space = wanted.rfind(' ');
    if (space != std::string::npos && wanted.substr(space + 1) == "*") {
        const std::string series = wanted.substr(0, space + 1);
        return std::any_of(samples.begin(), samples.end(),
                           [&](const std::string& sample) { return sample.starts_with(series); });
    }
    return std::find(samples.begin(), samples.end(), wanted) != samples.end();
}
