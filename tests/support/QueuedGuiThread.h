#pragma once

#include "service/HttpGet.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>

// The GUI thread of a test: what workers hand over waits in a queue until the test's own
// thread handles it, as a window's message loop would.
class QueuedGuiThread : public GuiThread
{
public:
    void runAndWait(const std::function<void()>& call) override
    {
        std::promise<void> done;
        {
            const std::lock_guard lock(m_mutex);
            m_queue.push_back({call, &done});
        }
        m_arrived.notify_all();
        done.get_future().wait();
    }

    void handlePending() override
    {
        std::unique_lock lock(m_mutex);
        m_arrived.wait_for(lock, std::chrono::milliseconds(10), [this] { return !m_queue.empty(); });
        while (!m_queue.empty()) {
            runFirst(lock);
        }
    }

    // Handles what comes until `condition` holds; false after `limit`.
    bool handleUntil(const std::function<bool()>& condition,
                     std::chrono::seconds limit = std::chrono::seconds(60))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition() && std::chrono::steady_clock::now() < deadline) {
            handlePending();
        }
        return condition();
    }

    // Waits until a handed-over call waits in the queue, without running it; false after
    // `limit`. What a test does next comes before that call runs.
    bool waitQueued(std::chrono::seconds limit = std::chrono::seconds(60))
    {
        std::unique_lock lock(m_mutex);
        return m_arrived.wait_for(lock, limit, [this] { return !m_queue.empty(); });
    }

    // Runs the first handed-over call only, once one comes; false when none came in `limit`.
    // A call that hands over the next cannot have that one run with it.
    bool handleOne(std::chrono::seconds limit = std::chrono::seconds(60))
    {
        std::unique_lock lock(m_mutex);
        if (!m_arrived.wait_for(lock, limit, [this] { return !m_queue.empty(); })) {
            return false;
        }
        runFirst(lock);
        return true;
    }

    // How many handed-over calls have run.
    int handled() const { return m_handled; }

private:
    struct Call
    {
        std::function<void()> function;
        std::promise<void>* done;
    };

    // Runs the first call waiting, outside the lock, and lets its worker go on.
    void runFirst(std::unique_lock<std::mutex>& lock)
    {
        const Call call = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        call.function();
        ++m_handled;
        call.done->set_value();
        lock.lock();
    }

    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<Call> m_queue;
    int m_handled = 0;
};
