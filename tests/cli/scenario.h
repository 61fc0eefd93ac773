// SPDX-License-Identifier: MIT
// One run of ndxu-upgrade against the simulator, written down as data: a
// scenario file under tests/scenarios. Each line is "key: value"; a key may
// repeat where it lists; "#" starts a comment line; in values, \n, \r, \t and
// \\ stand for their characters. In what the output is expected to hold
// (log-ends, log-has, stdout-ends, stderr-has, json-has), <http-port> and
// <ftp-port> stand for the simulator's ports.
//
//   title:        what the scenario shows
//   device:       simulator options, separated by blanks (repeatable)
//   args:         ndxu-upgrade options, separated by blanks (repeatable)
//   env:          NAME=VALUE for ndxu-upgrade (repeatable)
//   package:      NAME=TEXT written into the package directory (repeatable)
//   package-dir:  NAME made a directory in the package directory
//   package-rm:   NAME removed from the package directory
//   staging:      NAME=TEXT written into the staging directory (repeatable)
//   sign:         KEY prehashed|legacy TRUSTED COMMENT: the package's
//                 SHA256SUMS signed by minisign with the test key KEY
//   edit:         FILE LINE COLUMN CHARS: after signing, the package file's
//                 byte at LINE and COLUMN (from 1) becomes the first of CHARS
//                 that differs from it (repeatable)
//   truncate:     FILE BYTES: after signing, the package file cut to BYTES
//   trusted-key:  KEY user|system|given [MODE|link]: the test key's public
//                 key in the user's or the system's trusted-keys directory,
//                 or given with --trusted-key; with a file mode, or as a
//                 symbolic link to it (repeatable)
//   systems:      "linux": the scenario needs file modes or links, which the
//                 Windows build does not have
//   exit:         the exit status
//   seconds:      the longest the run may take
//   log-ends:     the run log's last entries, in order (repeatable)
//   log-has:      an entry the run log holds (repeatable)
//   stdout-ends:  the last status line
//   stderr-has:   a text standard error holds (repeatable)
//   device-gets:  "nothing" (no request reached the device), "no-ftp" (no
//                 FTP login), "no-upload" (no STOR), or "image" (the device
//                 holds the package image)
//   http:         "METHOD /path", the requests the device got, all of them in
//                 order (repeatable)
//   json-events:  with --json: the events of the lines on standard output, in
//                 order, a run of lines of one event named once ("status
//                 progress status result")
//   json-has:     with --json: a JSON object; some line holds each of its
//                 members with that value (repeatable)
//   metrics-has:  NAME{LABEL="VALUE",...} VALUE: the run is given
//                 --metrics-file, and the file holds that sample, its labels
//                 sorted by name, VALUE "*" for any (repeatable); on Linux
//                 the Prometheus client library's parser reads it so too
//   metrics-lacks: NAME{LABEL="VALUE",...}: with metrics-has, the file holds
//                 no sample of that series (repeatable)
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct PackageEdit {
    std::string file;
    int line = 0;
    int column = 0;
    std::string chars;
};

struct KeyInstallation {
    std::string key;
    std::string place;  // "user", "system" or "given"
    std::string mode;   // "0644", ..., "link", or empty
};

struct Signing {
    std::string key;
    bool legacy = false;
    std::string trustedComment;
};

struct Scenario {
    std::string name;  // the file's stem
    std::string title;
    std::vector<std::string> device;
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    std::map<std::string, std::string> package;
    std::vector<std::string> packageDirectories;
    std::vector<std::string> packageRemoved;
    std::map<std::string, std::string> staging;
    std::optional<Signing> signing;
    std::vector<PackageEdit> edits;
    std::map<std::string, std::size_t> truncations;
    std::vector<KeyInstallation> trustedKeys;
    bool linuxOnly = false;
    int exitStatus = 0;
    double seconds = 30;
    std::vector<std::string> logEnds;
    std::vector<std::string> logHas;
    std::string stdoutEnds;
    std::vector<std::string> stderrHas;
    std::string deviceGets;
    std::vector<std::string> http;
    std::vector<std::string> jsonEvents;
    std::vector<std::string> jsonHas;
    std::vector<std::string> metricsHas;
    std::vector<std::string> metricsLacks;
};

// Reads a scenario file; throws std::runtime_error naming the file and line
// for anything it does not understand.
Scenario ReadScenario(const std::filesystem::path& file);

// The scenario files of `directory`, sorted by name.
std::vector<std::filesystem::path> ScenarioFiles(const std::filesystem::path& directory);
