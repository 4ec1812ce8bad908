#include "store/StoreUploadThread.h"

#include <algorithm>

#include "store/StoreUploader.h"

StoreUploadThread::StoreUploadThread(StoreAddress address, QString archiveRoot, Told told)
    : m_told(std::move(told)),
      m_thread(&StoreUploadThread::run, this, std::move(address), std::move(archiveRoot)) {}

StoreUploadThread::~StoreUploadThread() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = 1;
    }
    m_stopSignal.raise();
    m_woken.notify_all();
    m_thread.join();
}

void StoreUploadThread::wake() {
    {
        std::lock_guard lock(m_mutex);
        m_nudged = true;
    }
    m_woken.notify_all();
}

bool StoreUploadThread::sleep(std::int64_t pauseMs) {
    std::unique_lock lock(m_mutex);
    m_woken.wait_for(lock, std::chrono::milliseconds(pauseMs),
                     [this] { return m_nudged || m_stop.load() != 0; });
    m_nudged = false;
    return m_stop.load() == 0;
}

// One try per round; a failed one is tried again after a growing pause, up to the longest, even
// when no retry of the uploader's would mend it: an admin may give the right meanwhile. A
// round that sent everything sleeps until woken.
void StoreUploadThread::run(StoreAddress address, QString root) {
    SteadyClock clock;
    StoreUploader uploader(std::move(address), std::move(root), clock);
    uploader.setStop(&m_stop, &m_stopSignal);
    uploader.setTimeoutMs(kTimeoutMs);
    std::int64_t pause = StoreUploader::kFirstPauseMs;
    constexpr std::int64_t kUntilWoken = std::int64_t(24) * 3600 * 1000;
    for (;;) {
        const StoreUploader::Report report = uploader.drain(0);
        if (m_stop.load()) return;
        m_told({report.formsLeft, report.recordsLeft, report.failure});
        const bool failed = !report.failure.isEmpty();
        if (!sleep(failed ? pause : kUntilWoken)) return;
        pause = failed ? std::min(pause * 2, StoreUploader::kMaxPauseMs)
                       : StoreUploader::kFirstPauseMs;
    }
}
