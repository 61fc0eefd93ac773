// SPDX-License-Identifier: MIT
// What a console front-end may follow besides the console host's own output:
// each status text, message box and transfer progress as the host shows it.
#pragma once

#include <string>

#include "platform/ui/host.h"
#include "platform/ui/progress_report.h"

class ConsoleObserver {
public:
    virtual ~ConsoleObserver() = default;

    virtual void OnStatus(const std::string&) {}
    // `reason`: why the box came; empty when the run gave no reason.
    virtual void OnMessage(const std::string& /*text*/, MessageIcon, const std::string& /*reason*/) {}
    virtual void OnProgress(const ProgressReport&) {}
    virtual void OnProgressEnd() {}
};
