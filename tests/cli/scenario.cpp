// SPDX-License-Identifier: MIT
#include "tests/cli/scenario.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>

namespace {

std::string Unescaped(const std::string& value)
{
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[++i]) {
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        default: text += value[i]; break;
        }
    }
    return text;
}

std::vector<std::string> Words(const std::string& value)
{
    std::istringstream in(value);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

void Append(std::vector<std::string>& list, const std::vector<std::string>& more)
{
    list.insert(list.end(), more.begin(), more.end());
}

void PutAssignment(std::map<std::string, std::string>& map, const std::string& value)
{
    const std::size_t equals = value.find('=');
    if (equals == std::string::npos) throw std::invalid_argument("NAME=VALUE expected");
    map[value.substr(0, equals)] = value.substr(equals + 1);
}

Signing SigningOf(const std::string& value)
{
    const std::vector<std::string> words = Words(value);
    if (words.size() < 2 || (words[1] != "prehashed" && words[1] != "legacy"))
        throw std::invalid_argument("KEY prehashed|legacy TRUSTED COMMENT expected");
    const std::size_t comment = value.find(words[1]) + words[1].size();
    return {words[0], words[1] == "legacy", comment < value.size() ? value.substr(comment + 1) : std::string()};
}

PackageEdit EditOf(const std::string& value)
{
    const std::vector<std::string> words = Words(value);
    if (words.size() != 4) throw std::invalid_argument("FILE LINE COLUMN CHARS expected");
    return {words[0], std::stoi(words[1]), std::stoi(words[2]), words[3]};
}

KeyInstallation KeyInstallationOf(const std::string& value)
{
    const std::vector<std::string> words = Words(value);
    if (words.size() < 2 || words.size() > 3 || (words[1] != "user" && words[1] != "system" && words[1] != "given"))
        throw std::invalid_argument("KEY user|system|given [MODE|link] expected");
    return {words[0], words[1], words.size() == 3 ? words[2] : std::string()};
}

void PutTruncation(std::map<std::string, std::size_t>& truncations, const std::string& value)
{
    const std::vector<std::string> words = Words(value);
    if (words.size() != 2) throw std::invalid_argument("FILE BYTES expected");
    truncations[words[0]] = std::stoul(words[1]);
}

using Setter = std::function<void(Scenario&, const std::string&)>;

const std::map<std::string, Setter>& Setters()
{
    static const std::map<std::string, Setter> setters = {
        {"title", [](Scenario& s, const std::string& v) { s.title = v; }},
        {"device", [](Scenario& s, const std::string& v) { Append(s.device, Words(v)); }},
        {"args", [](Scenario& s, const std::string& v) { Append(s.args, Words(v)); }},
        {"env", [](Scenario& s, const std::string& v) { PutAssignment(s.env, v); }},
        {"package", [](Scenario& s, const std::string& v) { PutAssignment(s.package, v); }},
        {"package-dir", [](Scenario& s, const std::string& v) { s.packageDirectories.push_back(v); }},
        {"package-rm", [](Scenario& s, const std::string& v) { s.packageRemoved.push_back(v); }},
        {"staging", [](Scenario& s, const std::string& v) { PutAssignment(s.staging, v); }},
        {"sign", [](Scenario& s, const std::string& v) { s.signing = SigningOf(v); }},
        {"edit", [](Scenario& s, const std::string& v) { s.edits.push_back(EditOf(v)); }},
        {"truncate", [](Scenario& s, const std::string& v) { PutTruncation(s.truncations, v); }},
        {"trusted-key", [](Scenario& s, const std::string& v) { s.trustedKeys.push_back(KeyInstallationOf(v)); }},
        {"systems",
         [](Scenario& s, const std::string& v) {
             if (v != "linux") throw std::invalid_argument("only \"linux\" is known");
             s.linuxOnly = true;
         }},
        {"exit", [](Scenario& s, const std::string& v) { s.exitStatus = std::stoi(v); }},
        {"seconds", [](Scenario& s, const std::string& v) { s.seconds = std::stod(v); }},
        {"log-ends", [](Scenario& s, const std::string& v) { s.logEnds.push_back(v); }},
        {"log-has", [](Scenario& s, const std::string& v) { s.logHas.push_back(v); }},
        {"stdout-ends", [](Scenario& s, const std::string& v) { s.stdoutEnds = v; }},
        {"stderr-has", [](Scenario& s, const std::string& v) { s.stderrHas.push_back(v); }},
        {"http", [](Scenario& s, const std::string& v) { s.http.push_back(v); }},
        {"json-events", [](Scenario& s, const std::string& v) { Append(s.jsonEvents, Words(v)); }},
        {"json-has", [](Scenario& s, const std::string& v) { s.jsonHas.push_back(v); }},
        {"metrics-has", [](Scenario& s, const std::string& v) { s.metricsHas.push_back(v); }},
        {"metrics-lacks", [](Scenario& s, const std::string& v) { s.metricsLacks.push_back(v); }},
        {"device-gets",
         [](Scenario& s, const std::string& v) {
             if (v != "nothing" && v != "no-ftp" && v != "no-upload" && v != "image") throw std::invalid_argument("unknown device-gets");
             s.deviceGets = v;
         }},
    };
    return setters;
}

}  // namespace

Scenario ReadScenario(const std::filesystem::path& file)
{
    std::ifstream in(file);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    Scenario scenario;
    scenario.name = file.stem().string();
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        const std::size_t colon = line.find(": ");
        const auto setter = colon == std::string::npos ? Setters().end() : Setters().find(line.substr(0, colon));
        try {
            if (setter == Setters().end()) throw std::invalid_argument("\"key: value\" with a known key expected");
            setter->second(scenario, Unescaped(line.substr(colon + 2)));
        } catch (const std::exception& e) {
            throw std::runtime_error(file.string() + ":" + std::to_string(number) + ": " + e.what());
        }
    }
    return scenario;
}

std::vector<std::filesystem::path> ScenarioFiles(const std::filesystem::path& directory)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        if (entry.path().extension() == ".scenario") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}
