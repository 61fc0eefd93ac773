// SPDX-License-Identifier: MIT
// The program's message boxes: OK only, captioned, with no icon, the
// exclamation icon or the stop icon.
#pragma once

#include <QMessageBox>
#include <functional>
#include <string>

#include "platform/ui/host.h"

class QWidget;

// Shows a modal box owned by `owner` (none when null) until it is closed,
// with `details` behind its Show Details button when there are any; returns
// IDOK.
int ShowMessageBox(QWidget* owner, const std::string& text, const std::string& caption, MessageIcon icon,
                   const std::string& details = {});

// Test hook: while an observer is set, every message box is handed to it
// once the box is up, and is then answered with OK as a user would, so that
// no test waits for a user.
using MessageBoxObserver = std::function<void(const QMessageBox&)>;
void SetMessageBoxObserver(MessageBoxObserver observer);
