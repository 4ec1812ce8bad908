// The wake signal as a manual-reset event: it stays signalled until cleared, as a raised
// eventfd stays readable.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <thread>

#include "platform/WakeSignal.h"

WakeSignal::WakeSignal() {
    m_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

WakeSignal::~WakeSignal() {
    if (m_event) CloseHandle(m_event);
}

void WakeSignal::raise() {
    if (m_event) SetEvent(m_event);
}

void WakeSignal::clear() {
    if (m_event) ResetEvent(m_event);
}

bool WakeSignal::isRaised() const {
    return m_event && WaitForSingleObject(m_event, 0) == WAIT_OBJECT_0;
}

bool WakeSignal::waitFor(std::chrono::milliseconds timeout) const {
    if (!m_event) {
        std::this_thread::sleep_for(std::min(timeout, std::chrono::milliseconds(20)));
        return false;
    }
    // INFINITE is 0xFFFFFFFF: one less is the longest finite wait.
    const auto ms = std::clamp<std::int64_t>(timeout.count(), 0, INFINITE - 1);
    return WaitForSingleObject(m_event, DWORD(ms)) == WAIT_OBJECT_0;
}

void WakeSignal::waitForEither(const WakeSignal& first, const WakeSignal* second,
                               std::chrono::milliseconds timeout) {
    HANDLE events[2] = {first.m_event, second ? second->m_event : nullptr};
    const auto ms = DWORD(std::clamp<std::int64_t>(timeout.count(), 0, 60000));
    if (!events[0] || (second && !events[1])) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<DWORD>(ms, 20)));
        return;
    }
    WaitForMultipleObjects(second ? 2 : 1, events, FALSE, ms);
}
