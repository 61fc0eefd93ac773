// SPDX-License-Identifier: MIT
// The exit statuses of the console's runs, which the run's journal records
// beside its result.
#pragma once

// Exit statuses of ndxu-upgrade; 128 + the signal's number when a signal
// interrupted the run.
inline constexpr int kExitCompleted = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInputRefused = 3;
inline constexpr int kExitDeviceNotReached = 4;
inline constexpr int kExitPasswordRefused = 5;
inline constexpr int kExitWrongDevice = 6;
inline constexpr int kExitDownloadModeRefused = 7;
inline constexpr int kExitLogNotOpened = 8;
inline constexpr int kExitUploadNotStarted = 9;
inline constexpr int kExitUploadFailed = 10;
inline constexpr int kExitNotConfirmed = 11;
inline constexpr int kExitDowngradeRefused = 13;
inline constexpr int kExitDeviceBusy = 14;
