#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

// Ends the test program as failed when what it guards has not returned within `patience`: a
// read that never ends (a device, a pipe without a writer) then fails the test instead of
// hanging it, whatever thread it holds. Far longer than the guarded work ever takes.
class HangGuard {
public:
    explicit HangGuard(const char* what, std::chrono::seconds patience = std::chrono::seconds(20))
        : m_thread([this, what, patience] {
              std::unique_lock lock(m_mutex);
              if (m_done.wait_for(lock, patience, [this] { return m_finished; })) return;
              std::fprintf(stderr, "FAILED: %s did not return\n", what);
              std::fflush(stderr);
              std::_Exit(1);
          }) {}
    ~HangGuard() {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};
