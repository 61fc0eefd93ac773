// What the tests of the Internet layer share: the program's resources, a
// recording window host that counts paint requests, environment variables
// set for one test alone (with no proxy unless the test sets one), a
// directory of the test's own, and the process's memory figures.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/recording/recording_host.h"
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

    PaintCountingHost m_host;

private:
    ScopedEnv m_env;
};

// AddressSanitizer holds freed memory back for a while, so that resident
// memory grows with every allocation and free: memory limits hold only
// without it.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kMemoryLimitsHold = false;
#else
inline constexpr bool kMemoryLimitsHold = true;
#endif

// Resident memory of this process in KiB: now, and at its peak since the
// last ResetPeakMemory.
long CurrentMemoryKiB();
long PeakMemoryKiB();
void ResetPeakMemory();

// A loopback port with nothing listening on it.
int ClosedPort();
