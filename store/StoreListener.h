#pragma once

#include <functional>
#include <thread>

#include "platform/WakeSignal.h"
#include "store/StoreAddress.h"

// Hears, on a connection and a thread of its own, when any machine's exchange records reach the
// common archive: the uploader notifies in the transaction that stores them. A connection that
// breaks is made again after a pause. `heard` runs on the listener's thread, also each time the
// LISTEN stands anew, as records may have come while nobody listened.
class StoreListener {
public:
    using Heard = std::function<void()>;

    StoreListener(StoreAddress address, Heard heard);
    // Returns at once but for a connection being made, which takes at most kTimeoutMs.
    ~StoreListener();
    StoreListener(const StoreListener&) = delete;
    StoreListener& operator=(const StoreListener&) = delete;

    static constexpr int kTimeoutMs = 2000;
    static constexpr int kReconnectMs = 5000;

private:
    void run(StoreAddress address);

    Heard m_heard;
    WakeSignal m_stop;
    std::thread m_thread;
};
