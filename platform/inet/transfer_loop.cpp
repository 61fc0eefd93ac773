#include "platform/inet/transfer_loop.h"

#include <new>

namespace {

// The longest the loop sleeps between looks at the transfer and the window.
constexpr int kPollMilliseconds = static_cast<int>(PaintPacer::kInterval.count());

}  // namespace

TransferLoop::TransferLoop() : m_multi(NewCurlMulti()) {}

TransferLoop::~TransferLoop() { Stop(); }

void TransferLoop::Start(CURL* easy, std::chrono::milliseconds idleLimit)
{
    Stop();
    SetOption(easy, CURLOPT_PREREQFUNCTION, &TransferLoop::OnConnectionReady);
    SetOption(easy, CURLOPT_PREREQDATA, this);
    const CURLMcode added = curl_multi_add_handle(m_multi.get(), easy);
    if (added == CURLM_OUT_OF_MEMORY) throw std::bad_alloc();
    m_easy = easy;
    m_ended = false;
    m_result = CURLE_OK;
    m_clockRunning = false;
    m_idleLimit = idleLimit;
    if (added != CURLM_OK) End(CURLE_FAILED_INIT);
}

bool TransferLoop::RunUntil(const std::function<bool()>& ready)
{
    m_lastActivity = std::chrono::steady_clock::now();
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
        if (m_ended || ready()) break;
        if (IdleTooLong()) {
            End(CURLE_OPERATION_TIMEDOUT);
            break;
        }
        m_painter.Tick();
        if (curl_multi_poll(m_multi.get(), nullptr, 0, kPollMilliseconds, nullptr) != CURLM_OK)
            End(CURLE_FAILED_INIT);
    }
    return m_ended;
}

CURLcode TransferLoop::RunToEnd()
{
    RunUntil([] { return false; });
    return m_result;
}

void TransferLoop::NoteActivity()
{
    m_clockRunning = true;
    m_lastActivity = std::chrono::steady_clock::now();
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

bool TransferLoop::IdleTooLong() const
{
    return m_clockRunning && std::chrono::steady_clock::now() - m_lastActivity >= m_idleLimit;
}
