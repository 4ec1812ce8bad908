#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "platform/Clock.h"

// Time that passes only when told to; the fake serial port moves it while the worker waits,
// and also while it pauses, so that what the port has scheduled happens during a pause too.
class FakeClock final : public Clock {
public:
    using Pauser = std::function<void(std::chrono::milliseconds, const WakeSignal*)>;

    std::int64_t nowMs() override { return m_now.load(); }
    void advanceTo(std::int64_t ms) {
        if (ms > m_now.load()) m_now.store(ms);
    }
    void advance(std::int64_t ms) { m_now.fetch_add(ms); }

    // Without a pauser a pause moves the time on at once, unless the wake is raised.
    void pause(std::chrono::milliseconds span, const WakeSignal* wake) override {
        if (m_pauser)
            m_pauser(span, wake);
        else if (!wake || !wake->isRaised())
            advance(span.count());
    }
    void setPauser(Pauser pauser) { m_pauser = std::move(pauser); }

private:
    std::atomic<std::int64_t> m_now{0};
    Pauser m_pauser;
};
