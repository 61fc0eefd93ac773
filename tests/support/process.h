// Runs a program to its end, feeding standard input and keeping what it
// prints, within a time limit.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

struct ProcessResult {
    int exitStatus = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// `env` adds to (or, with an empty value, removes from) the environment.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
                         const std::string& input = {}, const std::string& directory = {},
                         std::chrono::seconds limit = std::chrono::seconds(120));
