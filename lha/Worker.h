#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace sorvik::lha {

// One background thread that runs one job at a time, so the encoder can find
// the matches of the next segment while it prices the current one.
class Worker {
public:
    Worker() : m_thread([this] { loop(); }) {}
    ~Worker()
    {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void start(std::function<void()> job)
    {
        {
            std::lock_guard lock(m_mutex);
            m_job = std::move(job);
            m_busy = true;
        }
        m_wake.notify_all();
    }

    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return !m_busy; });
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_quit || (m_busy && m_job); });
            if (m_quit)
                return;
            std::function<void()> job = std::move(m_job);
            m_job = nullptr;
            lock.unlock();
            job();
            lock.lock();
            m_busy = false;
            m_done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::function<void()> m_job;
    bool m_busy = false;
    bool m_quit = false;
    std::thread m_thread;   // last: starts once the state above exists
};

}
