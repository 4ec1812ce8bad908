#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/WakeSignal.h"
#include "store/StoreAddress.h"

// The windows' sending to the common archive: a thread of its own that drains the archive,
// sleeps until woken (an exchange's forms are archived) or until the next try after a failure,
// and tells after each round how much is left. Nothing it does waits on the GUI thread; the
// told callback runs on its thread, so a window posts it on to itself.
class StoreUploadThread {
public:
    struct Left {
        int forms = 0, records = 0;
        QString failure;  // Russian; empty when the store took everything it was sent
    };
    using Told = std::function<void(const Left&)>;

    StoreUploadThread(StoreAddress address, QString archiveRoot, Told told);
    // Stops: a wait on the server ends within kTimeoutMs, a pause at once.
    ~StoreUploadThread();
    StoreUploadThread(const StoreUploadThread&) = delete;
    StoreUploadThread& operator=(const StoreUploadThread&) = delete;

    // Sends what is new now rather than at the next try.
    void wake();

    // The most one wait on the server takes, so that leaving the program never waits longer.
    static constexpr int kTimeoutMs = 2000;

private:
    void run(StoreAddress address, QString root);
    // Until woken, stopped or `pauseMs` has passed; false once stopped.
    bool sleep(std::int64_t pauseMs);

    Told m_told;
    std::atomic<int> m_stop{0};
    WakeSignal m_stopSignal;  // ends the uploader's own pauses
    std::mutex m_mutex;
    std::condition_variable m_woken;
    bool m_nudged = false;
    std::thread m_thread;
};
