#pragma once

#include <chrono>

// Ends another thread's wait at once. Whoever asks the worker to stop raises it; the serial
// line polls it beside its own descriptor, so a stop needs no periodic look at a flag. It stays
// raised until cleared, so a raise that comes before the wait begins still ends that wait.
// If the system cannot give one, handle() is -1 (event() null), raise() does nothing and waits
// simply run their time out.
class WakeSignal {
public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    void raise();  // from any thread
    void clear();
    bool isRaised() const;  // without waiting
    // Waits until the signal is raised or `timeout` has passed (at most a 20 ms turn where the
    // system gave no signal); does not clear it. True when raised.
    bool waitFor(std::chrono::milliseconds timeout) const;
    // Waits until `first` or `second` (may be null) is raised or `timeout` has passed.
    static void waitForEither(const WakeSignal& first, const WakeSignal* second,
                              std::chrono::milliseconds timeout);

#ifdef _WIN32
    // A manual-reset event, signalled exactly while the signal is raised: a line waits for it
    // in WaitForMultipleObjects beside its own I/O.
    void* event() const { return m_event; }
#else
    // A descriptor that polls readable (POLLIN) exactly while the signal is raised.
    int handle() const { return m_readFd; }
#endif

private:
#ifdef _WIN32
    void* m_event = nullptr;
#else
    int m_readFd = -1;
    int m_writeFd = -1;  // the same as m_readFd where one descriptor does both
#endif
};
