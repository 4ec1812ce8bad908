#include "modem/ModemLine.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "platform/WakeSignal.h"

using namespace std::chrono_literals;

namespace {

// How long a command may wait for room on the line: a modem takes a command at once.
constexpr std::chrono::milliseconds kWriteLimit{1000};
// CONNECT ends with CR LF; the LF may come a moment after the CR and is not the call's.
constexpr std::chrono::milliseconds kLineFeedWait{100};

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

ModemLine::ModemLine(SerialPort& port, Clock& clock) : m_port(port), m_clock(clock) {}

void ModemLine::setStop(const std::atomic<int>* stop, WakeSignal* wake) {
    m_stop = stop;
    m_wake = stop ? wake : nullptr;
    m_port.setWake(m_wake);
}

bool ModemLine::send(std::string_view command) {
    return sendRaw(std::string(command) + '\r');
}

bool ModemLine::sendRaw(std::string_view bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const SerialPort::Result r = m_port.write({data + sent, bytes.size() - sent}, kWriteLimit);
        if (r.status != SerialPort::Status::Ok) return false;
        sent += r.count;
    }
    return true;
}

ModemLine::Answer ModemLine::await(std::chrono::milliseconds limit, bool heedStop) {
    const std::int64_t deadline = m_clock.nowMs() + limit.count();
    for (;;) {
        while (std::optional<std::string> line = takeLine()) {
            const ModemResult result = modemResultOf(*line);
            if (result == ModemResult::None) continue;
            if (result == ModemResult::Connect) keepCallBytes();
            return {Wait::Answered, result, *line};
        }
        if (stopSet(heedStop)) return {Wait::Stopped, ModemResult::None, {}};
        const std::int64_t left = deadline - m_clock.nowMs();
        if (left <= 0) return {Wait::Timeout, ModemResult::None, {}};
        bool lost = false;
        readSlice(std::min<std::chrono::milliseconds>(kSlice, std::chrono::milliseconds(left)),
                  lost);
        if (lost) return {Wait::Lost, ModemResult::None, {}};
    }
}

void ModemLine::discardInput() {
    bool lost = false;
    for (std::size_t before = SIZE_MAX; !lost && m_pending.size() != before;) {
        before = m_pending.size();
        readSlice(0ms, lost);
    }
    m_pending.clear();
}

std::string ModemLine::takeCallBytes() {
    return std::exchange(m_callBytes, {});
}

std::optional<std::string> ModemLine::takeLine() {
    for (;;) {
        const auto end = std::find_if(m_pending.begin(), m_pending.end(), isLineEnd);
        if (end == m_pending.end()) return std::nullopt;
        std::string line(m_pending.begin(), end);
        m_pending.erase(m_pending.begin(), end + 1);  // the line and the one character ending it
        if (!line.empty()) return line;
    }
}

bool ModemLine::stopSet(bool heedStop) const {
    return heedStop && m_stop && m_stop->load();
}

// One read of what the line has, waiting up to `span`. A wake raised while no stop is set is
// cleared, so that the wait goes on instead of spinning.
void ModemLine::readSlice(std::chrono::milliseconds span, bool& lost) {
    std::array<std::uint8_t, 256> buffer{};
    const SerialPort::Result r = m_port.read(buffer, span);
    if (r.status == SerialPort::Status::Ok)
        m_pending.append(reinterpret_cast<const char*>(buffer.data()), r.count);
    else if (r.status != SerialPort::Status::Timeout)
        lost = true;
    if (m_wake && m_wake->isRaised() && !(m_stop && m_stop->load())) m_wake->clear();
}

// What follows CONNECT's line end belongs to the call, except the LF of its CR LF.
void ModemLine::keepCallBytes() {
    if (m_pending.empty()) {
        bool lost = false;
        readSlice(kLineFeedWait, lost);
    }
    if (!m_pending.empty() && m_pending.front() == '\n') m_pending.erase(0, 1);
    m_callBytes += std::exchange(m_pending, {});
}
