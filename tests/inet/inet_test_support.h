// SPDX-License-Identifier: MIT
// What the tests of the Internet layer share: the program's resources, a
// recording window host that counts paint requests, the layer's paint
// callback counting its calls, environment variables set for one test alone
// (with no proxy unless the test sets one), the device simulator, the
// process's memory figures and time limits.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/inet/internet_exception.h"
#include "tests/inet/loopback_socket.h"
#include "tests/support/devsim.h"
#include "tests/support/recording_host.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

class PaintCountingHost : public RecordingHost {
public:
    void KeepPainted() override { ++m_paints; }
    int Paints() const { return m_paints; }

private:
    int m_paints = 0;
};

class InetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets (or, with no value, unsets) `name` until the test ends.
    void SetEnv(const std::string& name, const std::optional<std::string>& value);
    void SetEnv(const std::map<std::string, std::string>& values);

    // Starts the device simulator with `options` for this test.
    DevSim& StartDevice(std::vector<std::string> options = {});
    DevSim& Device() { return *m_device; }

    // Calls of the layer's paint callback, registered by SetUp.
    int Paints() const { return m_paints; }

    PaintCountingHost m_host;
    std::unique_ptr<DevSim> m_device;
    int m_paints = 0;

private:
    ScopedEnv m_env;
};

// AddressSanitizer holds freed memory back for a while, so that resident
// memory grows with every allocation and free: memory limits hold only
// without it. Windows keeps a process's peak working set for its whole
// life, with no way to start it afresh: the peak of a stretch of a test
// cannot be had there.
#if defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
inline constexpr bool kMemoryLimitsHold = false;
#else
inline constexpr bool kMemoryLimitsHold = true;
#endif

// Resident memory of this process in KiB: now, and at its peak since the
// last ResetPeakMemory (on Windows: since the process began).
long CurrentMemoryKiB();
long PeakMemoryKiB();
void ResetPeakMemory();

// A loopback port with nothing listening on it.
int ClosedPort();

// What a connection to a closed port is said to have met, after "<host> port
// <port>: ": the system's reason.
inline constexpr char kRefusedReason[] = "Connection refused";
// What a server that does not answer in time is said to have done, after
// "<host> port <port>: ".
#ifdef _WIN32
inline constexpr char kTimedOutReason[] = "The operation timed out";
#else
inline constexpr char kTimedOutReason[] = "Connection timed out";
#endif

// A loopback listener that never takes its connections: the system completes
// them, and a client then waits for a server that never says a word. The
// simulator always answers on its FTP port, so this is the one server of the
// tests besides it.
class QuietListener {
public:
    QuietListener() : m_socket(LoopbackSocket::Listening(8)) {}
    int Port() const { return m_socket.Port(); }

private:
    LoopbackSocket m_socket;
};

// The code of the CInternetException that `call` throws (its text in `text`,
// its detail in `detail`); 0 when it throws none.
DWORD CodeThrownBy(const std::function<void()>& call, std::string* text = nullptr, std::string* detail = nullptr);

// How long `call` takes.
std::chrono::milliseconds TimeOf(const std::function<void()>& call);
