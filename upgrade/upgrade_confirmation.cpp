// SPDX-License-Identifier: MIT
#include "upgrade/upgrade_confirmation.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "log/run_log.h"
#include "net/device_probe.h"
#include "platform/ui/host.h"
#include "upgrade/next_step.h"
#include "upgrade/web_exchange.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kFirstPause = 500ms;
constexpr auto kLongestPause = 10s;
constexpr auto kPaintInterval = 50ms;

// Waits `pause`, or until `deadline` if that comes first, with the window
// painted meanwhile.
void PauseUntil(Clock::duration pause, Clock::time_point deadline)
{
    const Clock::time_point end = std::min(Clock::now() + pause, deadline);
    while (Clock::now() < end) {
        AfxKeepPainted();
        std::this_thread::sleep_for(std::min<Clock::duration>(kPaintInterval, end - Clock::now()));
    }
}

// Asks the device, with a growing pause between the attempts, until it
// answers as `wanted` or `deadline` passes; true when it did.
bool WaitUntilDevice(bool wanted, const std::string& address, Clock::time_point deadline)
{
    Clock::duration pause = kFirstPause;
    while (Clock::now() < deadline) {
        if (DeviceAnswers(address) == wanted) return true;
        PauseUntil(pause, deadline);
        pause = std::min<Clock::duration>(pause * 2, kLongestPause);
    }
    return false;
}

std::string Seconds(std::chrono::seconds bound) { return std::to_string(bound.count()) + " seconds"; }

bool NotConfirmed(WizardPage& page, const std::string& text, const NextStep& next)
{
    page.SetEnd(RunEnd::NotConfirmed);
    page.FailInStatusLine(text);
    page.ReportNextStep(next);
    return false;
}

}  // namespace

bool ConfirmUpgrade(WizardPage& page, const std::string& address, const std::string& password)
{
    const std::chrono::seconds bound = page.Options().confirmWithin.value_or(0s);
    const Clock::time_point deadline = Clock::now() + bound;
    page.EnterPhase(RunPhase::Confirmation);
    page.LogAndShow("Waiting for the LAN Modem to restart");
    if (!WaitUntilDevice(false, address, deadline))
        return NotConfirmed(page, "LAN Modem did not restart within " + Seconds(bound), NotRestartedStep());
    page.LogAndShow("Waiting for the LAN Modem to come back");
    if (!WaitUntilDevice(true, address, deadline))
        return NotConfirmed(page, "LAN Modem did not come back within " + Seconds(bound), NotBackStep());

    page.LogAndShow("LAN Modem is back; checking its firmware version");
    const std::optional<std::string> version = CheckDevice(page, address, password, CheckPhases::WithinCurrent);
    if (!version) return NotConfirmed(page, "Firmware Version Not Confirmed", NotConfirmedStep({}));
    page.ReportVersionAfter(*version);
    const std::string& expected = page.Options().expectedVersion;
    if (!expected.empty() && *version != expected)
        return NotConfirmed(page, "Firmware Version Not Confirmed: expected " + expected + ", found " + *version,
                            NotConfirmedStep(*version));
    page.LogAndShow("Firmware Version Confirmed: " + *version);
    page.SetEnd(RunEnd::Completed);
    return true;
}
