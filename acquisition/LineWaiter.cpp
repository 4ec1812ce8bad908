#include "acquisition/LineWaiter.h"

#include <algorithm>

LineWaiter::LineWaiter(SerialPort& port, Clock& clock, WakeSignal* wake)
    : m_port(port), m_clock(clock), m_wake(wake) {
    m_port.setWake(wake);
}

LineWaiter::~LineWaiter() {
    m_port.setWake(nullptr);
}

void LineWaiter::putBack(std::span<const std::uint8_t> bytes) {
    const std::size_t count = std::min(bytes.size(), m_inbox.size() - m_tail);
    std::copy_n(bytes.begin(), count, m_inbox.begin() + std::ptrdiff_t(m_tail));
    m_tail += count;
    m_bytesRead += count;
}

bool LineWaiter::stopSeen(const std::atomic<int>* stop) {
    if (stop && stop->load()) return true;
    if (!m_wake || !m_wake->isRaised()) return false;
    // Raised for a flag this wait does not heed, or left from a stop already served. Clear it,
    // then look again: a stop set meanwhile raised it after its flag, so it is not lost.
    m_wake->clear();
    return stop && stop->load();
}

std::chrono::milliseconds LineWaiter::sliceBefore(std::int64_t deadlineMs) {
    const std::int64_t left = deadlineMs - m_clock.nowMs();
    return std::chrono::milliseconds(std::clamp<std::int64_t>(left, 0, kSlice.count()));
}

std::chrono::milliseconds LineWaiter::firstSlice(int limitS) {
    return std::chrono::milliseconds(
        std::clamp<std::int64_t>(std::int64_t{limitS} * 1000, 0, kSlice.count()));
}

LineWaiter::Outcome LineWaiter::writeByte(std::uint8_t byte, int limitS,
                                          const std::atomic<int>* stop) {
    const std::int64_t start = m_clock.nowMs();
    const std::int64_t deadline = start + std::int64_t{limitS} * 1000;
    const std::uint8_t out[1] = {byte};
    // The clock is read once for a byte that goes out at once, as nearly every echo does.
    auto slice = firstSlice(limitS);
    for (;;) {
        const SerialPort::Result r = m_port.write(out, slice);
        if (r.status == SerialPort::Status::Ok && r.count >= 1) return Outcome::Done;
        if (isGone(r.status)) return Outcome::Vanished;
        if (elapsedSince(start) >= std::int64_t{limitS} * 1000) return Outcome::LimitReached;
        if (stopSeen(stop)) return Outcome::Stopped;
        slice = sliceBefore(deadline);
    }
}

LineWaiter::Outcome LineWaiter::readExactly(std::span<std::uint8_t> out, int limitS,
                                            const std::atomic<int>* stop) {
    const std::int64_t start = m_clock.nowMs();
    const std::int64_t deadline = start + std::int64_t{limitS} * 1000;
    std::size_t got = 0;
    for (;;) {
        const SerialPort::Result r = m_port.read(out.subspan(got), sliceBefore(deadline));
        if (r.status == SerialPort::Status::Ok) {
            const std::size_t count = std::min(r.count, out.size() - got);
            got += count;
            m_bytesRead += count;
            if (got == out.size()) return Outcome::Done;
        } else if (isGone(r.status)) {
            return Outcome::Vanished;
        }
        if (elapsedSince(start) >= std::int64_t{limitS} * 1000) return Outcome::LimitReached;
        if (stopSeen(stop)) return Outcome::Stopped;
    }
}

LineWaiter::Outcome LineWaiter::awaitByte(int limitS, bool limitApplies,
                                          const std::atomic<int>& stop) {
    if (hasByte()) return Outcome::Done;
    m_head = m_tail = 0;
    const std::int64_t start = m_clock.nowMs();
    const std::int64_t limitMs = std::int64_t{limitS} * 1000;
    if (stop.load()) return Outcome::Stopped;
    // Byte by byte, as an echo exchange goes, the first read is the one that brings it: its
    // slice needs no second look at the clock unless a gather came first.
    auto slice = limitApplies ? firstSlice(limitS) : kSlice;
    if (m_gathering && m_lastReadShort) {
        m_clock.pause(kGather, m_wake);
        // A stop during the gather is served without a read, which would only find the
        // signal raised and leave it so for the next pass's first read.
        if (stopSeen(&stop)) return Outcome::Stopped;
        if (limitApplies) slice = sliceBefore(start + limitMs);
    }
    for (;;) {
        const SerialPort::Result r = m_port.read(m_inbox, slice);
        if (r.status == SerialPort::Status::Ok && r.count > 0) {
            m_tail = std::min(r.count, m_inbox.size());
            m_lastReadShort = m_tail < kGatherBelow;
            m_bytesRead += m_tail;
            return Outcome::Done;
        }
        if (isGone(r.status)) return Outcome::Vanished;
        if (limitApplies && elapsedSince(start) >= limitMs) return Outcome::LimitReached;
        if (stopSeen(&stop)) return Outcome::Stopped;
        slice = limitApplies ? sliceBefore(start + limitMs) : kSlice;
    }
}
