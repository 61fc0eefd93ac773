// SPDX-License-Identifier: MIT
#include "cli/fleet/fleet_supervisor.h"

#include <cstdio>
#include <memory>
#include <random>

#include "cli/fleet/fleet_results.h"
#include "cli/fleet/output_lines.h"
#include "cli/fleet/retry_rule.h"
#include "platform/process/child_process.h"
#include "upgrade/utc_time.h"

namespace {

using Clock = std::chrono::steady_clock;
using Json = nlohmann::ordered_json;
using namespace std::chrono_literals;

constexpr auto kTurn = 200ms;             // the longest the loop waits for output
constexpr std::size_t kErrorLinesKept = 3;  // of a process's standard error, for the reason of a crash

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string SignalName(StopRequest request) { return request == StopRequest::Interrupt ? "SIGINT" : "SIGTERM"; }

// The result line a device's process wrote: what it says, and as what it
// came, to be passed on.
struct Reported {
    ResultFacts facts;
    Json object;
};

// A device whose process runs.
struct Running {
    std::size_t index;  // into the runs
    int attempt = 1;
    std::unique_ptr<ChildProcess> child;
    Clock::time_point started = Clock::now();
    Clock::time_point deadline;  // the device's, over all its attempts
    std::optional<Clock::time_point> killAt;  // once asked to stop
    Overruling overruling = Overruling::None;
    std::string overrulingReason;
    LineSplitter output;
    LastLines errors{kErrorLinesKept};
    std::optional<Reported> reported;  // its result line
    ToldFacts told;                     // what its phase lines told
};

// A device whose attempt failed, waiting to be tried again.
struct Retry {
    std::size_t index;  // into the runs
    int attempt;        // the one to start
    Clock::time_point at;
    Clock::time_point deadline;       // the device's
    ResultFacts failed;               // the failed attempt's result, the device's if it is not tried again
    std::optional<Json> failedLine;  // as its process reported it
};

// "1.4 s": a wait as the live display shows it.
std::string WaitText(std::chrono::milliseconds wait)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(wait.count()) / 1000);
    return text;
}

class Supervisor {
public:
    Supervisor(const std::vector<FleetDevice>& devices, const SupervisorSettings& settings, FleetObserver& observer)
        : m_settings(settings), m_observer(observer)
    {
        for (const FleetDevice& device : devices) {
            DeviceRun run;
            run.device = device;
            m_outcome.runs.push_back(std::move(run));
        }
    }

    FleetOutcome Run()
    {
        const Clock::time_point start = Clock::now();
        while (StartDue() || !m_running.empty() || !m_retries.empty()) Turn();
        LeaveTheRest();
        m_outcome.duration = SecondsSince(start);
        return std::move(m_outcome);
    }

private:
    // Starts devices while there is room and no reason to stop; whether any
    // device is left to start.
    bool StartDue()
    {
        StartRetriesDue();
        while (m_next < m_outcome.runs.size() && !NotStartingReason() && HasRoom())
            Start(m_next++, 1, Clock::now() + m_settings.deviceTimeout);
        return m_next < m_outcome.runs.size() && !NotStartingReason();
    }

    std::optional<std::string> NotStartingReason() const
    {
        if (m_outcome.stoppedBy) return "not started: the run was stopped by " + SignalName(*m_outcome.stoppedBy);
        if (m_outcome.hungUp) return std::string("not started: the terminal went away (SIGHUP)");
        if (m_settings.maxFailures && m_failures >= *m_settings.maxFailures)
            return "not started: " + std::to_string(m_failures) + (m_failures == 1 ? " device" : " devices") +
                   " had failed (--max-failures " + std::to_string(*m_settings.maxFailures) + ")";
        return std::nullopt;
    }

    bool HasRoom() const { return m_running.size() < static_cast<std::size_t>(m_settings.jobs); }

    // A device whose wait is over goes before the devices not started yet.
    void StartRetriesDue()
    {
        const Clock::time_point now = Clock::now();
        for (auto retry = m_retries.begin(); retry != m_retries.end() && HasRoom();) {
            if (retry->at > now) {
                ++retry;
                continue;
            }
            Start(retry->index, retry->attempt, retry->deadline);
            retry = m_retries.erase(retry);
        }
    }

    void Start(std::size_t index, int attempt, Clock::time_point deadline)
    {
        DeviceRun& run = m_outcome.runs[index];
        run.attempts = attempt;
        auto running = std::make_unique<Running>();
        running->index = index;
        running->attempt = attempt;
        running->deadline = deadline;
        try {
            running->child = std::make_unique<ChildProcess>(
                m_settings.program, m_settings.arguments(run.device, attempt), m_settings.input);
        } catch (const std::runtime_error& e) {
            Finish(run, NotStartedAtStart(e.what()), std::nullopt);
            return;
        }
        run.state = DeviceState::Running;
        run.status = attempt > 1 ? "attempt " + std::to_string(attempt) : "";
        m_observer.Started(run);
        m_running.push_back(std::move(running));
    }

    void Turn()
    {
        std::vector<ChildProcess*> children;
        for (const auto& running : m_running) children.push_back(running->child.get());
        WaitForChildren(children, m_requests, kTurn);
        while (const std::optional<StopRequest> request = m_requests.Take()) PassOn(*request);
        for (const auto& running : m_running) Follow(*running);
        std::erase_if(m_running, [this](const std::unique_ptr<Running>& running) { return Ended(*running); });
        m_observer.Tick();
    }

    // The first SIGINT or SIGTERM lets a device's process finish its upload
    // (the device timeout still bounds it); the second is passed on as well
    // and kills what has not ended after the grace. SIGHUP stops nothing.
    void PassOn(StopRequest request)
    {
        if (request == StopRequest::HangUp) {
            if (!m_outcome.hungUp)
                m_observer.Notice("ndxu-upgrade: the terminal went away (SIGHUP): no further device starts; "
                                  "the running devices go on to their end");
            m_outcome.hungUp = true;
            EndRetries();
            return;
        }
        const bool again = m_outcome.stoppedBy.has_value();
        if (!again) m_outcome.stoppedBy = request;
        EndRetries();
        m_observer.Notice(again ? "ndxu-upgrade: " + SignalName(request) + " again: every running device stops now"
                                : "ndxu-upgrade: stopped by " + SignalName(request) +
                                      ": no further device starts; a device in an upload finishes it first; "
                                      "a second SIGINT or SIGTERM stops every device at once");
        for (const auto& running : m_running) {
            running->child->Stop(request);
            if (running->overruling == Overruling::None) {
                running->overruling = Overruling::Interrupted;
                running->overrulingReason = "stopped by " + SignalName(request) + " before it gave a result";
            }
            if (again && !running->killAt) running->killAt = Clock::now() + m_settings.stopGrace;
        }
    }

    // Reads what the device's process wrote, and stops it when its time is up.
    void Follow(Running& running)
    {
        DeviceRun& run = m_outcome.runs[running.index];
        running.errors.Feed(running.child->TakeErrors());
        for (const std::string& line : running.output.Feed(running.child->TakeOutput())) Read(running, run, line);
        const Clock::time_point now = Clock::now();
        if (now >= running.deadline && running.overruling != Overruling::TimedOut) {
            running.child->Stop(StopRequest::Terminate);
            running.overruling = Overruling::TimedOut;
            const std::string seconds = std::to_string(m_settings.deviceTimeout.count());
            running.overrulingReason =
                running.attempt == 1
                    ? "stopped after " + seconds + " seconds, the most one device's run may take (--device-timeout)"
                    : "stopped in attempt " + std::to_string(running.attempt) + ", " + seconds +
                          " seconds after the first began, the most one device's attempts may take (--device-timeout)";
            running.killAt = now + m_settings.stopGrace;
        }
        if (running.killAt && now >= *running.killAt) running.child->Kill();
    }

    void Read(Running& running, DeviceRun& run, const std::string& line)
    {
        Json event = Json::parse(line, nullptr, false);
        if (event.is_discarded() || !event.is_object() || !event.contains("event")) {
            // Not one of the program's lines: kept with its error output.
            running.errors.Feed(line + "\n");
            return;
        }
        const std::string kind = event.value("event", "");
        if (kind == "result") {
            std::optional<ResultFacts> facts = ReadResultLine(event);
            // A result this program does not give is no result either.
            if (facts) {
                running.reported = Reported{std::move(*facts), std::move(event)};
            } else {
                running.errors.Feed(line + "\n");
            }
            return;
        }
        if (kind == "phase") {
            TakePhaseLine(running.told, event);
        } else if (kind == "status") {
            run.status = event.value("text", "");
            run.percent.reset();
        } else if (kind == "progress") {
            const double total = event.value("total", 0.0);
            if (total > 0) run.percent = static_cast<int>(event.value("done", 0.0) * 100 / total);
        }
        m_observer.Reported(run, event, line);
    }

    bool Ended(Running& running)
    {
        const std::optional<ChildEnd> end = running.child->End();
        if (!end) return false;
        DeviceRun& run = m_outcome.runs[running.index];
        const std::optional<ResultFacts> reported =
            running.reported ? std::optional(running.reported->facts) : std::nullopt;
        const DeviceEnding ending{reported, *end, running.overruling, running.overrulingReason,
                                  running.errors.Joined(), SecondsSince(running.started), running.told};
        ResultFacts result = ResultOfEnding(run.device, ending);
        std::optional<Json> line = ReportStands(ending) ? std::optional(running.reported->object) : std::nullopt;
        if (const std::optional<std::chrono::milliseconds> wait = WaitBeforeRetry(running, result)) {
            TryAgain(running, *wait, std::move(result), std::move(line));
        } else {
            Finish(run, std::move(result), std::move(line));
        }
        return true;
    }

    // How long the device waits before it is tried again; none when it is
    // not: no retry is left, the run was stopped, the attempt may have
    // changed the device, or the wait would not end before its deadline.
    std::optional<std::chrono::milliseconds> WaitBeforeRetry(const Running& running, const ResultFacts& result)
    {
        if (running.attempt > m_settings.retries || m_outcome.stoppedBy || m_outcome.hungUp) return std::nullopt;
        if (!MayRetry(result.result, running.told.phase)) return std::nullopt;
        const std::chrono::milliseconds wait = RetryWait(running.attempt, m_jitter(m_random));
        if (Clock::now() + wait >= running.deadline) return std::nullopt;
        return wait;
    }

    void TryAgain(const Running& running, std::chrono::milliseconds wait, ResultFacts failed,
                  std::optional<Json> failedLine)
    {
        DeviceRun& run = m_outcome.runs[running.index];
        run.state = DeviceState::Retrying;
        run.percent.reset();
        run.status = "waiting to be tried again: attempt " + std::to_string(running.attempt + 1) + " in " +
                     WaitText(wait);
        const Json line = AttemptLineObject(run.device.name, running.attempt, failed,
                                            std::chrono::duration<double>(wait).count(), UtcTimestamp());
        m_observer.Retrying(run, failed, FleetLine(run.device, line));
        m_retries.push_back({running.index, running.attempt + 1, Clock::now() + wait, running.deadline,
                             std::move(failed), std::move(failedLine)});
    }

    // The devices waiting to be tried again end with their last attempt's result.
    void EndRetries()
    {
        for (Retry& retry : m_retries)
            Finish(m_outcome.runs[retry.index], std::move(retry.failed), std::move(retry.failedLine));
        m_retries.clear();
    }

    // Ends the device's run with `result`, whose line is `line` as its
    // process reported it (none: one made of the result), with the
    // device's attempts.
    void Finish(DeviceRun& run, ResultFacts result, std::optional<Json> line)
    {
        if (!Succeeded(result.result)) ++m_failures;
        run.state = DeviceState::Ended;
        run.percent.reset();
        Json object = line ? std::move(*line) : ResultLineObject(run.device.name, result, UtcTimestamp());
        object["attempts"] = run.attempts;
        run.resultLine = FleetLine(run.device, object);
        run.result = std::move(result);
        m_observer.Ended(run);
    }

    void LeaveTheRest()
    {
        const std::optional<std::string> reason = NotStartingReason();
        for (; m_next < m_outcome.runs.size(); ++m_next)
            Finish(m_outcome.runs[m_next], NotStartedResult(reason.value_or("not started")), std::nullopt);
    }

    const SupervisorSettings& m_settings;
    FleetObserver& m_observer;
    StopRequests m_requests;
    FleetOutcome m_outcome;
    std::vector<std::unique_ptr<Running>> m_running;
    std::vector<Retry> m_retries;
    std::mt19937 m_random{std::random_device{}()};
    std::uniform_real_distribution<double> m_jitter{0.0, 1.0};
    std::size_t m_next = 0;
    int m_failures = 0;
};

}  // namespace

FleetOutcome SuperviseFleet(const std::vector<FleetDevice>& devices, const SupervisorSettings& settings,
                            FleetObserver& observer)
{
    return Supervisor(devices, settings, observer).Run();
}
