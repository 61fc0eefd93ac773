// SPDX-License-Identifier: MIT
#include "platform/inet/wininet/call_pool.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// The longest the caller sleeps between looks at the call and the window.
constexpr auto kLookInterval = std::chrono::duration_cast<std::chrono::milliseconds>(PaintPacer::kInterval);

struct Job {
    std::function<void()> call;
    std::function<void()> ifGivenUp;  // what follows the call when the caller gave up on it
    bool done = false;
    bool givenUp = false;
};

class Pool {
public:
    std::shared_ptr<Job> Post(std::function<void()> call, std::function<void()> ifGivenUp);
    // Waits up to `wait` for `job` to be done; true when it is.
    bool WaitFor(const Job& job, std::chrono::milliseconds wait);
    // Leaves `job` to run on alone; false when it is done already.
    bool GiveUp(Job& job);

private:
    void Serve();

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::condition_variable m_done;
    std::deque<std::shared_ptr<Job>> m_queue;
    std::size_t m_idle = 0;  // threads waiting for a job
};

// Never destroyed: its threads wait on it until the process ends.
Pool& ThePool()
{
    static Pool* const pool = new Pool;
    return *pool;
}

std::shared_ptr<Job> Pool::Post(std::function<void()> call, std::function<void()> ifGivenUp)
{
    auto job = std::make_shared<Job>();
    job->call = std::move(call);
    job->ifGivenUp = std::move(ifGivenUp);
    const std::lock_guard lock(m_mutex);
    m_queue.push_back(job);
    if (m_queue.size() > m_idle) std::thread(&Pool::Serve, this).detach();
    m_posted.notify_one();
    return job;
}

bool Pool::WaitFor(const Job& job, std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    return m_done.wait_for(lock, wait, [&job] { return job.done; });
}

bool Pool::GiveUp(Job& job)
{
    const std::lock_guard lock(m_mutex);
    if (job.done) return false;
    job.givenUp = true;
    return true;
}

void Pool::Serve()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_posted.wait(lock, [this] { return !m_queue.empty(); });
        --m_idle;
        const std::shared_ptr<Job> job = std::move(m_queue.front());
        m_queue.pop_front();
        // A call given up on before it started is never made.
        if (!job->givenUp) {
            lock.unlock();
            job->call();
            lock.lock();
        }
        job->done = true;
        if (job->givenUp && job->ifGivenUp) {
            lock.unlock();
            job->ifGivenUp();
            lock.lock();
        }
        // What the calls hold goes now, not when the caller lets go of the job.
        job->call = nullptr;
        job->ifGivenUp = nullptr;
        m_done.notify_all();
    }
}

}  // namespace

bool BlockingCalls::Run(std::function<void()> call, const std::function<bool()>& giveUp,
                        std::function<void()> ifGivenUp)
{
    Pool& pool = ThePool();
    const std::shared_ptr<Job> job = pool.Post(std::move(call), std::move(ifGivenUp));
    try {
        for (;;) {
            m_painter.Tick();
            if (pool.WaitFor(*job, kLookInterval)) return true;
            if (giveUp()) return !pool.GiveUp(*job);
        }
    } catch (...) {
        pool.GiveUp(*job);
        throw;
    }
}

void RunInBackground(std::function<void()> work) { ThePool().Post(std::move(work), {}); }

CallOutcome MakeCall(BlockingCalls& calls, std::function<BOOL()> call, const std::function<bool()>& giveUp,
                     std::function<void()> ifGivenUp)
{
    auto outcome = std::make_shared<CallOutcome>();
    const bool returned = calls.Run(
        [outcome, call = std::move(call)] {
            outcome->succeeded = call() != FALSE;
            outcome->error = outcome->succeeded ? 0 : GetLastError();
        },
        giveUp, std::move(ifGivenUp));
    if (!returned) return {};
    outcome->returned = true;
    return *outcome;
}
