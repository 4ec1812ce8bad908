#pragma once

#include <chrono>
#include <cstdint>

// The worker's sense of time: a monotonic millisecond count. Tests inject their own.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMs() = 0;
};

class SteadyClock final : public Clock {
public:
    std::int64_t nowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};
