#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/WakeSignal.h"

// The sense of time of the worker and the modem dialer: a monotonic millisecond count, and a
// pause in it. Tests inject their own, so that no test sleeps.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMs() = 0;
    // Lets `span` pass, or less when `wake` (may be null) is raised first or already is.
    virtual void pause(std::chrono::milliseconds span, const WakeSignal* wake) {
        if (wake)
            wake->waitFor(span);
        else
            std::this_thread::sleep_for(span);
    }
};

class SteadyClock final : public Clock {
public:
    std::int64_t nowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};
