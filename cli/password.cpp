// SPDX-License-Identifier: MIT
#include "cli/password.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/console/echo_off.h"
#include "platform/console/terminal.h"
#include "platform/files/environment.h"

namespace {

constexpr char kPrompt[] = "Password of the LAN modem: ";
constexpr char kLineBreakRefusal[] =
    "ndxu-upgrade: the password holds a line break (CR or LF); a device password cannot hold one\n";

std::string ReadLine(std::istream& in)
{
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string PromptWithoutEcho()
{
    const EchoOff echoOff;
    // Asked only once echo is off, so that nothing typed after it shows.
    std::cerr << kPrompt << std::flush;
    return ReadLine(std::cin);
}

std::string ReadFromSource(bool fromStdin)
{
    const bool terminal = IsTerminal(StandardStream::Input);
    if (fromStdin) return terminal ? PromptWithoutEcho() : ReadLine(std::cin);
    if (char* fromEnvironment = std::getenv("NDXU_PASSWORD")) {
        std::string password = fromEnvironment;
        // The value is wiped where it stands too: /proc/<pid>/environ shows
        // the environment the program was started with.
        std::memset(fromEnvironment, 0, password.size());
        SetEnvironmentVariable("NDXU_PASSWORD", nullptr);
        return password;
    }
    return terminal ? PromptWithoutEcho() : std::string();
}

}  // namespace

std::optional<std::string> ReadPassword(bool fromStdin)
{
    std::string password = ReadFromSource(fromStdin);
    if (password.find_first_of("\r\n") == std::string::npos) return password;
    std::cerr << kLineBreakRefusal;
    return std::nullopt;
}
