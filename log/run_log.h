// SPDX-License-Identifier: MIT
// The run log: one plain-text file in the temporary directory that keeps the
// history of every run. Each entry is framed by asterisks.
#pragma once

#include <string>

// Opens the log at `path` (a path of the program's form) for appending,
// creating it readable by its owner only. Only a regular file of the
// effective user with one name is opened, never through a symbolic link; an
// existing log readable by others is made 0600. Shows "Cannot open logfile"
// with the reason (which `*problem` gets too) and returns 1 when it cannot be
// opened; 0 on success.
int OpenRunLog(std::string path, std::string* problem = nullptr);
inline constexpr char kLogNotOpenedText[] = "Cannot open logfile";

// Appends "******", the text, a line feed and a line of 51 asterisks; the
// entry reaches the file at once. Dropped while the log is not open; an entry
// the file does not take (a full disk) is lost, and RunLogWriteProblem says so.
void WriteLogLine(std::string text);

// Why entries of the open log were lost: the first write that failed, with
// the system's reason ("an entry could not be written: No space left on
// device"); empty while every entry reached the file.
std::string RunLogWriteProblem();

// Appends the program's last entry, as WriteLogLine does, and keeps every
// other thread from writing after it: the program ends right afterwards.
void WriteLastLogLine(std::string text);
