#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "platform/WakeSignal.h"
#include "store/StoreAddress.h"

// Hears, on a connection and a thread of its own, when any machine's exchange records reach the
// common archive: the uploader notifies in the transaction that stores them. A connection that
// breaks is made again after a pause. `heard` runs on the listener's thread.
class StoreListener {
public:
    using Heard = std::function<void()>;

    StoreListener(StoreAddress address, Heard heard);
    // Returns at once but for a connection being made, which takes at most kTimeoutMs.
    ~StoreListener();
    StoreListener(const StoreListener&) = delete;
    StoreListener& operator=(const StoreListener&) = delete;

    // Whether the LISTEN stands, for a caller that must not miss the first notification.
    bool listening() const { return m_listening.load(); }

    static constexpr const char* kChannel = "tabulon_exchanges";
    static constexpr int kTimeoutMs = 2000;
    static constexpr int kReconnectMs = 5000;

private:
    void run(StoreAddress address);

    Heard m_heard;
    std::atomic<bool> m_listening{false};
    WakeSignal m_stop;
    std::thread m_thread;
};
