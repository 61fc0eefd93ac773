// SPDX-License-Identifier: MIT
// The FTP commands the program's client sends, to compare with the
// simulator's transcript (ports masked, see WithPortsMasked). The client of
// each build has its own habits: the Linux build's sends PWD after logging
// in, and TYPE I once per login, after the first PORT or PASV; WinInet's
// sends no PWD, and TYPE I before the PORT or PASV of every transfer.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/devsim.h"

using FtpCommands = std::vector<std::string>;

#ifdef _WIN32
inline constexpr bool kWinInetClient = true;
#else
inline constexpr bool kWinInetClient = false;
#endif

// The PORT command of an active-mode transfer from loopback, port masked.
inline std::string MaskedPortCommand() { return std::string("PORT 127,0,0,1,") + kMaskedPort; }

// A login as `user` with `password` (the anonymous login by default).
inline FtpCommands FtpLogin(const std::string& user = "anonymous", const std::string& password = "ftp@example.com")
{
    FtpCommands commands = {"USER " + user, "PASS " + password};
    if (!kWinInetClient) commands.push_back("PWD");
    return commands;
}

// A transfer, `command` ("RETR prof.bin") with `channel` (MaskedPortCommand()
// or "PASV") opening its data connection; `first`: the first of its login.
inline FtpCommands FtpTransfer(const std::string& command, bool first,
                               const std::string& channel = MaskedPortCommand())
{
    if (kWinInetClient) return {"TYPE I", channel, command};
    if (first) return {channel, "TYPE I", command};
    return {channel, command};
}

// The first transfer of a login whose `channel` command was refused.
inline FtpCommands FtpChannelRefused(const std::string& channel)
{
    if (kWinInetClient) return {"TYPE I", channel};
    return {channel};
}

// The commands of `parts`, one after the other.
inline FtpCommands FtpSequence(std::initializer_list<FtpCommands> parts)
{
    FtpCommands all;
    for (const FtpCommands& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
