#include "cli/options.h"

#include <CLI/CLI.hpp>

namespace {

constexpr char kDescription[] =
    "Upgrades the firmware of a LAN modem from a package directory, as the wizard window does, "
    "and reports each step on standard output and each message on standard error.\n"
    "The device password is read from the environment variable NDXU_PASSWORD, or from one line "
    "of standard input with --password-stdin; it is never taken from the command line. On a terminal "
    "without either, it is asked for with echo off.\n"
    "Alternate files (prod.bin, prof.bin, boot.bin) in the staging directory are uploaded only "
    "with --use-alternates; without it, a run with alternates present stops before the device is touched.";

constexpr char kExitStatuses[] =
    "Exit status:\n"
    "  0  the upgrade completed\n"
    "  2  bad usage: an unknown option or value, a bad NDXU_* setting, or alternates present\n"
    "     without --use-alternates"
    "  3  the address or password was refused before anything was sent\n"
    "  4  the upgrade failed before the FTP phase (device not reached, password refused,\n"
    "     wrong device, download mode not entered, run log not opened)\n"
    "  5  the upgrade failed in or after the FTP phase\n"
    "  130, 143  interrupted by SIGINT or SIGTERM (the run log says where)";

constexpr char kVersion[] = "ndxu-upgrade 5.12 Build 194";

}  // namespace

ParseResult ParseOptions(int argc, char** argv)
{
    CLI::App app(kDescription, "ndxu-upgrade");
    app.footer(kExitStatuses);
    app.set_version_flag("--version", kVersion);

    Options options;
    std::string address;
    int httpPort = 0;
    int ftpPort = 0;
    CLI::Option* addressOption =
        app.add_option("--address", address, "the device's host name or IP address (default: the wizard's)");
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

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int status = app.exit(e);
        return {std::nullopt, status == 0 ? kExitCompleted : kExitUsage};
    }

    if (*addressOption) options.address = address;
    if (*httpOption) options.httpPort = httpPort;
    if (*ftpOption) options.ftpPort = ftpPort;
    return {options, kExitCompleted};
}
