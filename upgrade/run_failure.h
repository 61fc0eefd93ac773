// SPDX-License-Identifier: MIT
// How a failed run told its failure, and why it failed: set by the run where
// it knows it, and read by every front-end (the console's "reason:" line, the
// JSON result, a fleet's summary) from here.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/host.h"
#include "upgrade/next_step.h"

struct RunFailure {
    // The message box that told the failure, as shown, and its icon; empty
    // when the status line alone told it.
    std::string message;
    MessageIcon icon = MessageIcon::None;
    // Why, where the run knows more than the message says: the device's
    // reply, the system's error, the host and port; for a failure told in
    // the status line alone, that status text.
    std::string reason;
    // After the device was changed, or when it was found answering only on
    // FTP: the state it is left in and what to do next.
    std::optional<NextStep> next;

    // The failure in one text: its reason, else its message.
    const std::string& Explanation() const { return reason.empty() ? message : reason; }
};
