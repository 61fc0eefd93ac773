// SPDX-License-Identifier: MIT
#include "platform/inet/curl/transfer_loop.h"

#include <algorithm>
#include <new>

namespace {

// The longest the loop sleeps between looks at the transfer and the window.
constexpr auto kPollInterval = std::chrono::duration_cast<std::chrono::milliseconds>(PaintPacer::kInterval);

curl_socket_t RefuseSocket(void*, curlsocktype, curl_sockaddr*) { return CURL_SOCKET_BAD; }

}  // namespace

TransferLoop::TransferLoop() : m_multi(NewCurlMulti()) {}

TransferLoop::~TransferLoop() { Stop(); }

void TransferLoop::Start(CURL* easy, TransferLimits limits)
{
    Stop();
    SetOption(easy, CURLOPT_PREREQFUNCTION, &TransferLoop::OnConnectionReady);
    SetOption(easy, CURLOPT_PREREQDATA, this);
    Attach(easy, limits);
}

void TransferLoop::DropConnection(CURL* easy)
{
    Stop();
    SetOption(easy, CURLOPT_PREREQFUNCTION, &TransferLoop::RefuseRequest);
    SetOption(easy, CURLOPT_PREREQDATA, this);
    // Refusing takes no time; the limits only guard against a connection
    // being made against the caller's set-up.
    Attach(easy, {kPollInterval, kPollInterval * 20});
    RunToEnd();
}

void TransferLoop::Attach(CURL* easy, TransferLimits limits)
{
    const CURLMcode added = curl_multi_add_handle(m_multi.get(), easy);
    if (added == CURLM_OUT_OF_MEMORY) throw std::bad_alloc();
    m_easy = easy;
    m_ended = false;
    m_result = CURLE_OK;
    m_exceeded = ExceededLimit::None;
    m_clockRunning = false;
    m_limits = limits;
    m_deadline = Clock::now() + limits.whole;
    if (added != CURLM_OK) End(CURLE_FAILED_INIT);
}

bool TransferLoop::RunUntil(const std::function<bool()>& ready)
{
    m_lastActivity = Clock::now();
    while (!m_ended) {
        int running = 0;
        const CURLMcode performed = curl_multi_perform(m_multi.get(), &running);
        if (performed == CURLM_OUT_OF_MEMORY) {
            Stop();
            throw std::bad_alloc();
        }
        if (performed != CURLM_OK) {
            End(CURLE_FAILED_INIT);
            break;
        }
        CollectResult();
        if (m_ended || Ready(ready)) break;
        const auto now = Clock::now();
        if (now >= m_deadline || IdleTooLong(now)) {
            m_exceeded = now >= m_deadline ? ExceededLimit::Whole : ExceededLimit::Idle;
            End(CURLE_OPERATION_TIMEDOUT);
            break;
        }
        m_painter.Tick();
        if (curl_multi_poll(m_multi.get(), nullptr, 0, PollMilliseconds(now), nullptr) != CURLM_OK)
            End(CURLE_FAILED_INIT);
    }
    return m_ended;
}

CURLcode TransferLoop::RunToEnd(const std::function<void()>& eachStep)
{
    RunUntil([&eachStep] {
        if (eachStep) eachStep();
        return false;
    });
    return m_result;
}

void TransferLoop::NoteActivity()
{
    m_clockRunning = true;
    m_lastActivity = Clock::now();
}

void TransferLoop::Stop()
{
    if (!m_ended) End(CURLE_ABORTED_BY_CALLBACK);
}

int TransferLoop::OnConnectionReady(void* self, char*, char*, int, int)
{
    static_cast<TransferLoop*>(self)->NoteActivity();
    return CURL_PREREQFUNC_OK;
}

int TransferLoop::RefuseRequest(void*, char*, char*, int, int) { return CURL_PREREQFUNC_ABORT; }

void TransferLoop::End(CURLcode result)
{
    if (m_easy) curl_multi_remove_handle(m_multi.get(), m_easy);
    m_easy = nullptr;
    m_ended = true;
    m_result = result;
}

void TransferLoop::CollectResult()
{
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy) {
            End(message->data.result);
            return;
        }
    }
}

bool TransferLoop::Ready(const std::function<bool()>& ready)
{
    try {
        return ready();
    } catch (...) {
        Stop();
        throw;
    }
}

bool TransferLoop::IdleTooLong(Clock::time_point now) const
{
    return m_clockRunning && now - m_lastActivity >= m_limits.idle;
}

int TransferLoop::PollMilliseconds(Clock::time_point now) const
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - now) + std::chrono::milliseconds(1);
    return static_cast<int>(std::clamp(left, std::chrono::milliseconds(0), kPollInterval).count());
}

void RefuseNewConnections(CURL* easy)
{
    SetOption(easy, CURLOPT_OPENSOCKETFUNCTION, &RefuseSocket);
    SetOption(easy, CURLOPT_OPENSOCKETDATA, nullptr);
}
