#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// A reader that should never have waited in the open of `fifo` is let go after `patience` (it
// then reads an empty file) and the test fails instead of hanging. Nothing touches the pipe
// before then, so a reader that opens it without waiting and lets it go at once is never taken
// for one that waited.
class FifoReleaser {
public:
    explicit FifoReleaser(const QByteArray& fifo,
                          std::chrono::milliseconds patience = std::chrono::seconds(3))
        : m_thread([this, fifo, patience] {
              std::unique_lock lock(m_mutex);
              if (m_done.wait_for(lock, patience, [this] { return m_finished; })) return;
              while (!m_done.wait_for(lock, std::chrono::milliseconds(5),
                                      [this] { return m_finished; })) {
                  const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) {
                      m_released = true;
                      ::close(fd);
                  }
              }
          }) {}
    ~FifoReleaser() {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }
    bool released() const {
        std::lock_guard lock(m_mutex);
        return m_released;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    bool m_released = false;
    std::thread m_thread;
};
