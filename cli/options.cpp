// SPDX-License-Identifier: MIT
#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>

#include "platform/files/paths.h"
#include "res/program_version.h"
#include "upgrade/profile_restore.h"

namespace {

constexpr char kDescription[] =
    "Upgrades the firmware of a LAN modem from a package directory, as the wizard window does, "
    "and reports each step on standard output and each message on standard error.\n"
    "The device password is read from the environment variable NDXU_PASSWORD, or from one line "
    "of standard input with --password-stdin; it is never taken from the command line. On a terminal "
    "without either, it is asked for with echo off. A password holding a line break (CR or LF) is refused "
    "(status 2).\n"
    "Alternate files (prod.bin, prof.bin, boot.bin) in the staging directory are uploaded only "
    "with --use-alternates; without it, a run with alternates present stops before the device is touched.";

constexpr char kExitStatuses[] =
    "Exit status:\n"
    "  0    the upgrade completed (--check: a 5.x device; --confirm: it came back as expected;\n"
    "       --restore-profile: the profile was uploaded), or the device already runs the package's version\n"
    "  2    bad usage: an unknown option or value, a bad NDXU_* setting, or alternates\n"
    "       present without --use-alternates\n"
    "  3    the address, password or package (its checksum or signature) was refused before\n"
    "       the device was changed, or with --require-backup the device's profile history\n"
    "       cannot be used, or --resume finds no run to resume, or --restore-profile a profile it\n"
    "       may not restore (nothing was sent to the device)\n"
    "  4    the device was not reached\n"
    "  5    the device refused the password\n"
    "  6    the device is not a 5.x device\n"
    "  7    the device did not enter download mode\n"
    "  8    the run log could not be opened\n"
    "  9    the FTP phase ended before the upload (FTP server not reached, the image gone, or\n"
    "       with --require-backup no backup of the profile kept);\n"
    "       the firmware is untouched, the device may wait in download mode\n"
    "  10   an upload failed (the device may hold a partial image)\n"
    "  11   the upload completed but the device did not come back as expected\n"
    "  12   with several devices: not every device completed (the summary says which)\n"
    "  13   the device runs a newer version than the package's (see --allow-downgrade)\n"
    "  14   another run holds the device (the message names its process); nothing was sent\n"
    "  129  the terminal went away (SIGHUP); the run went on to its end\n"
    "  130  interrupted by SIGINT, 143 by SIGTERM (the run log says where); during an upload\n"
    "       the first lets the upload finish, a second stops at once";


// The run log's name: a file name alone, in the temporary directory.
std::string LogNameProblem(const std::string& name)
{
    if (name.empty() || name == "." || name == "..") return "a file name is needed";
    if (name.find_first_of("/\\") != std::string::npos) return "a file name without a directory is needed";
    return {};
}

}  // namespace

ParseResult ParseOptions(int argc, char** argv)
{
    CLI::App app(kDescription, "ndxu-upgrade");
    app.footer(kExitStatuses);
    app.set_version_flag("--version", std::string("ndxu-upgrade ") + NDXU_VERSION_TEXT);

    Options options;
    int httpPort = 0;
    int ftpPort = 0;
    CLI::Option* addressOption =
        app.add_option("--address", options.fleet.addresses,
                       "the device's host name or IP address (default: the wizard's); given more than once, "
                       "the devices are upgraded by processes of their own, --jobs at a time");
    app.add_option("--package", options.packageDirectory,
                   "the package directory holding fw512000.bin and ndxuback.txt (default: the current directory)")
        ->check(CLI::ExistingDirectory);
    CLI::Option* httpOption =
        app.add_option("--http-port", httpPort, "the device's web server port (default 80)")->check(CLI::Range(1, 65535));
    CLI::Option* ftpOption =
        app.add_option("--ftp-port", ftpPort, "the device's FTP server port (default 21)")->check(CLI::Range(1, 65535));
    app.add_flag("--password-stdin", options.passwordFromStdin, "read the device password from standard input");
    app.add_flag("--use-alternates", options.useAlternates,
                 "upload the alternate files found in the staging directory, each after saying so");
    app.add_flag("--check", options.run.checkOnly,
                 "only log in and read the status page: print the firmware version found and the image's "
                 "SHA-256; the device is not changed");
    int confirmSeconds = kDefaultConfirmSeconds;
    CLI::Option* confirmOption =
        app.add_option("--confirm", confirmSeconds,
                       "after the upload, wait up to SECONDS (default 300) for the device to restart and come back, "
                       "and report the firmware version it runs then")
            ->expected(0, 1)
            ->type_name("SECONDS")
            ->check(CLI::Range(1, 86400));
    app.add_option("--expect-version", options.run.expectedVersion,
                   "with --confirm: fail (status 11) unless the device comes back with this version")
        ->needs(confirmOption);
    app.add_flag("--require-checksum", options.run.requireChecksum,
                 "refuse a package without a SHA256SUMS line for the image");
    app.add_option("--trusted-key", options.run.trustedKeyFiles,
                   "trust the minisign public key in FILE (besides the trusted-keys directories); repeatable")
        ->type_name("FILE");
    app.add_flag("--require-signature", options.run.requireSignature,
                 "refuse a package that is not signed by a trusted key, even when no key is installed");
    app.add_flag("--require-backup", options.run.requireBackup,
                 "flash no device without its profile kept in its history: stop before the device is touched "
                 "when the history cannot be used (status 3), and before the upload when the profile cannot be "
                 "downloaded or kept (status 9); a fleet always requires it");
    CLI::Option* resumeOption = app.add_flag(
        "--resume", options.run.resume,
        "for a LAN Modem left waiting in download mode: skip the web pages and go straight to the FTP phase "
        "(backup, upload, completion); only when the device's journal shows a run of the same package that "
        "entered download mode within the last 24 hours (or with --force)");
    CLI::Option* restoreOption =
        app.add_option("--restore-profile", options.run.restoreProfile,
                       "log in, enter download mode and upload FILE as the device's profile (prof.bin), nothing "
                       "else; \"latest\" is the newest backup in the device's history; a file from elsewhere "
                       "needs --force")
            ->type_name("FILE|latest")
            ->excludes(resumeOption);
    CLI::Option* historyOption =
        app.add_option("--history", options.history,
                       "print the past runs of DEVICE (default: of every device) from the journals in the "
                       "profile history, as a table or with --json as JSON lines; nothing is sent to any device")
            ->expected(0, 1)
            ->type_name("DEVICE");
    bool force = false;
    app.add_flag("--force", force,
                 "flash a device that already runs the package's version; with --resume, resume without a "
                 "matching run in the journal; with --restore-profile, restore a file from outside the "
                 "device's history");
    bool allowDowngrade = false;
    app.add_flag("--allow-downgrade", allowDowngrade,
                 "flash a device that runs a newer version than the package's");
    app.add_flag("--ftp-passive", options.ftpPassive,
                 "use passive FTP (the device connects to nothing); for networks where active FTP cannot work");
    CLI::Option* quietOption = app.add_flag("--quiet", options.quiet, "no progress meter");
    app.add_flag("--progress", options.progress, "a progress meter on standard error even when it is no terminal")
        ->excludes(quietOption);
    app.add_flag("--json", options.json,
                 "write the run as JSON lines on standard output (one object a line: phase, status, message, "
                 "progress, and the result last); everything else goes to standard error");
    CLI::Option* metricsOption =
        app.add_option("--metrics-file", options.metricsFile,
                       "at the end of the run, write each device's firmware version, result, last success and "
                       "duration, and the count of each result, to FILE in the Prometheus text format (for a "
                       "textfile collector); the file is replaced whole, and one that cannot be written is "
                       "reported without changing the exit status")
            ->type_name("FILE");
    CLI::Option* logNameOption =
        app.add_option("--log-name", options.run.logName,
                       "the run log's file name in the temporary directory (default ndxulog.txt); one device "
                       "only: with several devices, each has its log ndxulog-DEVICE.txt, and --log-name is refused")
        ->type_name("NAME")
        ->check(CLI::Validator(LogNameProblem, "NAME"));
    // Set by a fleet for each of a device's processes; not for users.
    app.add_option("--attempt", options.run.attempt, "which attempt of a fleet's retries the run is")
        ->group("")
        ->check(CLI::Range(1, 1000));
    confirmOption->excludes(app.get_option("--check"));
    for (CLI::Option* option : {resumeOption, restoreOption}) option->excludes(app.get_option("--check"));
    historyOption->excludes(resumeOption)
        ->excludes(restoreOption)
        ->excludes(metricsOption)
        ->excludes(app.get_option("--check"));
    AddFleetOptions(app, options.fleet);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int status = app.exit(e);
        return {std::nullopt, status == 0 ? kExitCompleted : kExitUsage};
    }

    if (*logNameOption && options.fleet.IsFleet()) {
        std::cerr << "ndxu-upgrade: --log-name names the log of one device's run; with several devices, each device "
                     "has a log of its own (ndxulog-DEVICE.txt)\n";
        return {std::nullopt, kExitUsage};
    }
    if ((*resumeOption || *restoreOption) && options.fleet.IsFleet()) {
        std::cerr << "ndxu-upgrade: --resume and --restore-profile act on one device; give one --address\n";
        return {std::nullopt, kExitUsage};
    }
    if (*app.get_option("--retries") && !options.fleet.IsFleet()) {
        std::cerr << "ndxu-upgrade: --retries tries the devices of a fleet again; a run of one device is tried "
                     "again by running it again\n";
        return {std::nullopt, kExitUsage};
    }
    if (*addressOption) options.address = options.fleet.addresses.front();
    if (*historyOption && !options.history) options.history = "";
    if (*httpOption) options.httpPort = httpPort;
    if (*ftpOption) options.ftpPort = ftpPort;
    // The run reads them from within the package directory.
    for (std::string& key : options.run.trustedKeyFiles) key = std::filesystem::absolute(key).string();
    if (options.metricsFile) options.metricsFile = std::filesystem::absolute(*options.metricsFile).string();
    if (*restoreOption && options.run.restoreProfile != kLatestProfile)
        options.run.restoreProfile = ProgramPathOf(std::filesystem::absolute(options.run.restoreProfile));
    options.run.skipCurrent = !force;
    options.run.resumeWithoutJournal = force;
    options.run.restoreAnyFile = force;
    options.run.refuseDowngrade = !allowDowngrade;
    if (*confirmOption) options.run.confirmWithin = std::chrono::seconds(confirmSeconds);
    return {options, kExitCompleted};
}
