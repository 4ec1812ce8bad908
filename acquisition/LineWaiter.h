#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "platform/WakeSignal.h"

// Every wait of the worker on the line. A wait blocks in the port until data, its limit or the
// wake signal comes, so a stop is seen at once and nothing wakes while nothing happens. A wait
// that is given a stop flag ends when the flag is set; a wake raised for a flag the wait does
// not heed is cleared and the wait goes on. Limits are whole seconds, reached when the elapsed
// time is at least that long.
class LineWaiter {
public:
    // The longest single block in the port. The wake signal ends it at once; this only bounds
    // how late a flag set without the signal (or with none to be had) is seen.
    static constexpr std::chrono::milliseconds kSlice{1000};
    // As much as a terminal may hand over in one read while a stream flows: a smaller inbox
    // makes more reads, each of which also wakes the terminal's own work of refilling.
    static constexpr std::size_t kInboxSize = 32768;
    // A line without echo that brings its bytes one by one would wake the worker for each of
    // them, some two thousand times a second; letting them gather for a moment first makes it
    // about fifty. A read that brings this much is a stream faster than any line, which waits
    // for nothing.
    static constexpr std::chrono::milliseconds kGather{20};
    static constexpr std::size_t kGatherBelow = 64;

    enum class Outcome {
        Done,          // the byte went out, or the bytes came in
        LimitReached,  // the time limit passed first
        Stopped,       // the stop flag was seen first
        Vanished,      // the device is gone, or the system refuses the line
    };

    // `wake` (may be null) is the signal that whoever sets a stop flag raises.
    LineWaiter(SerialPort& port, Clock& clock, WakeSignal* wake);
    ~LineWaiter();
    LineWaiter(const LineWaiter&) = delete;
    LineWaiter& operator=(const LineWaiter&) = delete;

    // Sends one byte. With a stop flag the wait ends when the flag is set (the byte may then
    // still be unsent); without one only the limit ends it. The first attempt is always made.
    Outcome writeByte(std::uint8_t byte, int limitS, const std::atomic<int>* stop);

    // Fills `out` completely; for the handshake reply, so it takes no byte beyond it.
    Outcome readExactly(std::span<std::uint8_t> out, int limitS, const std::atomic<int>* stop);

    // Waits until at least one received byte is at hand. Silence ends the wait only when
    // `limitApplies`; it is counted from the call, so a gather delays no limit. Whatever one
    // read brings is kept here until taken, also across passes.
    Outcome awaitByte(int limitS, bool limitApplies, const std::atomic<int>& stop);

    // Whether awaitByte lets the bytes of a slow line gather before it reads: only where no
    // echo is owed for them, as an echo must go back at once.
    void setGathering(bool on) { m_gathering = on; }

    // Bytes of the line read before this waiter took it (those that came right behind a modem's
    // CONNECT): they are the first the exchange takes. Before any other read only.
    void putBack(std::span<const std::uint8_t> bytes);

    bool hasByte() const { return m_head < m_tail; }
    std::uint8_t takeByte() { return m_inbox[m_head++]; }
    // What the last read brought and is not taken yet, to be taken a run at a time.
    std::span<const std::uint8_t> bytesAtHand() const {
        return {m_inbox.data() + m_head, m_tail - m_head};
    }
    void takeBytes(std::size_t count) { m_head += std::min(count, m_tail - m_head); }
    // Everything read from the line so far, handshake reply included.
    std::uint64_t bytesRead() const { return m_bytesRead; }

private:
    std::int64_t elapsedSince(std::int64_t startMs) { return m_clock.nowMs() - startMs; }
    std::chrono::milliseconds sliceBefore(std::int64_t deadlineMs);
    // sliceBefore at the very start of a wait of `limitS`, without reading the clock again.
    static std::chrono::milliseconds firstSlice(int limitS);
    bool stopSeen(const std::atomic<int>* stop);
    static bool isGone(SerialPort::Status status) {
        return status == SerialPort::Status::Hangup || status == SerialPort::Status::Error;
    }

    SerialPort& m_port;
    Clock& m_clock;
    WakeSignal* m_wake;
    std::array<std::uint8_t, kInboxSize> m_inbox{};
    std::size_t m_head = 0;
    std::size_t m_tail = 0;
    bool m_gathering = false;
    bool m_lastReadShort = false;
    std::uint64_t m_bytesRead = 0;
};
