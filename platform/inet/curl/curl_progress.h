// SPDX-License-Identifier: MIT
// A transfer's progress as libcurl counts it, taken into a ProgressNotifier.
#pragma once

#include <curl/curl.h>

#include "platform/inet/progress_notifier.h"

// Has libcurl report the counts of the transfer `easy` is set up for to
// `progress`. An upload's count is what the system has taken to send, so the
// upload's data connection keeps a small send buffer.
void WatchProgress(CURL* easy, ProgressNotifier& progress);

// Takes the final counts from `easy` once its transfer has ended; call it
// before the handle is set up again.
void SettleProgress(CURL* easy, ProgressNotifier& progress);
