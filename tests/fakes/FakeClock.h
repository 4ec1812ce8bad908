#pragma once

#include <atomic>
#include <cstdint>

#include "acquisition/Clock.h"

// Time that passes only when told to; the fake serial port moves it while the worker waits.
class FakeClock final : public Clock {
public:
    std::int64_t nowMs() override { return m_now.load(); }
    void advanceTo(std::int64_t ms) {
        if (ms > m_now.load()) m_now.store(ms);
    }
    void advance(std::int64_t ms) { m_now.fetch_add(ms); }

private:
    std::atomic<std::int64_t> m_now{0};
};
