// SPDX-License-Identifier: MIT
// How the framework reports an exception that leaves a command handler: the
// text and icon of its message box. A run that lets an exception reach the
// framework reads the same report, to know what the user was shown.
#pragma once

#include <exception>
#include <optional>
#include <string>

#include "platform/ui/host.h"

struct HandlerReport {
    std::string text;
    MessageIcon icon;
};

// The report of `exception`; none for an exception the framework does not
// report (one that is no std::exception or CException), which leaves the
// message loop.
std::optional<HandlerReport> HandlerReportOf(const std::exception_ptr& exception);
