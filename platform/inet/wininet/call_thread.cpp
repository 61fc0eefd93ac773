// SPDX-License-Identifier: MIT
#include "platform/inet/wininet/call_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// The longest the caller sleeps between looks at the call and the window.
constexpr auto kLookInterval = std::chrono::duration_cast<std::chrono::milliseconds>(PaintPacer::kInterval);

}  // namespace

// What the caller and the thread share; the thread holds it as long as it
// runs.
struct CallThread::Worker {
    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> call;       // the call waiting to be made
    std::function<void()> ifGivenUp;  // what follows it when the caller gave up on it
    bool busy = false;                // a call is waiting or being made
    bool quit = false;                // the caller has left: end after the running call

    static void Serve(const std::shared_ptr<Worker>& worker);
};

void CallThread::Worker::Serve(const std::shared_ptr<Worker>& worker)
{
    std::unique_lock lock(worker->mutex);
    for (;;) {
        worker->changed.wait(lock, [&] { return worker->quit || worker->call; });
        if (worker->quit) return;
        std::function<void()> call = std::exchange(worker->call, nullptr);
        lock.unlock();
        call();
        lock.lock();
        worker->busy = false;
        if (worker->quit) {
            std::function<void()> ifGivenUp = std::exchange(worker->ifGivenUp, nullptr);
            lock.unlock();
            if (ifGivenUp) ifGivenUp();
            return;
        }
        worker->ifGivenUp = nullptr;
        worker->changed.notify_all();
    }
}

CallThread::~CallThread()
{
    if (!m_worker) return;
    const std::lock_guard lock(m_worker->mutex);
    m_worker->quit = true;
    m_worker->changed.notify_all();
}

bool CallThread::Run(std::function<void()> call, const std::function<bool()>& giveUp, std::function<void()> ifGivenUp)
{
    if (!m_worker) {
        m_worker = std::make_shared<Worker>();
        std::thread(&Worker::Serve, m_worker).detach();
    }
    {
        const std::lock_guard lock(m_worker->mutex);
        m_worker->call = std::move(call);
        m_worker->ifGivenUp = std::move(ifGivenUp);
        m_worker->busy = true;
        m_worker->changed.notify_all();
    }
    try {
        for (;;) {
            m_painter.Tick();
            if (Returned(kLookInterval)) return true;
            if (giveUp()) return !Abandon();
        }
    } catch (...) {
        Abandon();
        throw;
    }
}

bool CallThread::Returned(std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_worker->mutex);
    return m_worker->changed.wait_for(lock, wait, [this] { return !m_worker->busy; });
}

bool CallThread::Abandon()
{
    // Held here as well: the lock outlives the member.
    const std::shared_ptr<Worker> worker = m_worker;
    const std::lock_guard lock(worker->mutex);
    if (!worker->busy) return false;
    worker->quit = true;
    // The call, if it has not started, is never made; its thread ends.
    worker->changed.notify_all();
    m_worker.reset();
    return true;
}

CallOutcome MakeCall(CallThread& thread, std::function<BOOL()> call, const std::function<bool()>& giveUp,
                     std::function<void()> ifGivenUp)
{
    auto outcome = std::make_shared<CallOutcome>();
    const bool returned = thread.Run(
        [outcome, call = std::move(call)] {
            outcome->succeeded = call() != FALSE;
            outcome->error = outcome->succeeded ? 0 : GetLastError();
        },
        giveUp, std::move(ifGivenUp));
    if (!returned) return {};
    outcome->returned = true;
    return *outcome;
}
