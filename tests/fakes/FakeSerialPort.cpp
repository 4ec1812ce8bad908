#include "tests/fakes/FakeSerialPort.h"

#include <algorithm>

#include "platform/WakeSignal.h"

namespace {

constexpr std::int64_t kHorizonMs = 24LL * 3600 * 1000;

// What the worker holds: closing it is destroying it, as with a real port.
class FakePortHandle final : public SerialPort {
public:
    explicit FakePortHandle(FakeSerialPort& line) : m_line(line) {}
    ~FakePortHandle() override { m_line.close(); }
    Result read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        return m_line.read(buffer, timeout);
    }
    Result write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout) override {
        return m_line.write(bytes, timeout);
    }
    void setWake(const WakeSignal* wake) override { m_line.setWake(wake); }

private:
    FakeSerialPort& m_line;
};

std::string hex(std::uint8_t byte) {
    static const char digits[] = "0123456789ABCDEF";
    return {'0', 'x', digits[byte >> 4], digits[byte & 0xF]};
}

}  // namespace

FakeSerialPort::FakeSerialPort(FakeClock& clock) : m_clock(clock) {
    m_clock.setPauser(
        [this](std::chrono::milliseconds span, const WakeSignal* wake) { pause(span, wake); });
}

FakeSerialPort::~FakeSerialPort() {
    m_clock.setPauser({});
}

SerialOpener FakeSerialPort::opener() {
    return [this](const std::string& name, int rate) {
        SerialOpenResult result;
        m_openedName = name;
        m_openedRate = rate;
        if (m_openFailure) {
            result.stage = m_openFailure->stage;
            result.error = m_openFailure->error;
            return result;
        }
        m_opened = true;
        result.port = std::make_unique<FakePortHandle>(*this);
        return result;
    };
}

void FakeSerialPort::failOpen(SerialOpenResult::Stage stage, int error) {
    m_openFailure.emplace();
    m_openFailure->stage = stage;
    m_openFailure->error = error;
}

void FakeSerialPort::arrive(std::int64_t atMs, const QByteArray& bytes) {
    for (char c : bytes) m_stream.push_back({atMs, static_cast<std::uint8_t>(c)});
    std::stable_sort(m_stream.begin(), m_stream.end(),
                     [](const Timed& a, const Timed& b) { return a.atMs < b.atMs; });
}

void FakeSerialPort::answerHandshake(const QByteArray& reply, std::int64_t delayMs) {
    m_handshakeReply = reply;
    m_handshakeDelay = delayMs;
}

void FakeSerialPort::pacedByEcho() {
    m_paced = true;
}

void FakeSerialPort::holdWrites(std::int64_t fromMs, std::int64_t untilMs) {
    m_heldSpans.emplace_back(fromMs, untilMs);
}

void FakeSerialPort::holdNthWrite(std::size_t n, std::int64_t untilMs) {
    m_heldWrites[n] = untilMs;
}

void FakeSerialPort::delayNthWrite(std::size_t n, std::int64_t delayMs) {
    m_delayedWrites[n] = delayMs;
}

void FakeSerialPort::vanishAt(std::int64_t atMs, SerialPort::Status status, int error) {
    m_vanishAtMs = atMs;
    m_vanishStatus = status;
    m_vanishError = error;
}

void FakeSerialPort::at(std::int64_t atMs, std::function<void()> action) {
    m_actions.emplace(atMs, std::move(action));
}

QByteArray FakeSerialPort::written() const {
    std::lock_guard lock(m_recordMutex);
    return m_written;
}

std::vector<std::string> FakeSerialPort::echoErrors() const {
    std::lock_guard lock(m_recordMutex);
    return m_echoErrors;
}

std::size_t FakeSerialPort::readableNow() const {
    const std::int64_t now = m_clock.nowMs();
    std::size_t n = 0;
    while (m_replyPos + n < m_reply.size() && m_reply[m_replyPos + n].atMs <= now) ++n;
    if (n > 0) return n;
    if (m_paced) {
        const bool next = m_streamPos < m_stream.size() && m_stream[m_streamPos].atMs <= now;
        return m_owed.empty() && next ? 1 : 0;
    }
    while (m_streamPos + n < m_stream.size() && m_stream[m_streamPos + n].atMs <= now) ++n;
    return n;
}

std::int64_t FakeSerialPort::nextReadEvent() const {
    std::int64_t next = m_vanishAtMs;
    if (m_replyPos < m_reply.size()) next = std::min(next, m_reply[m_replyPos].atMs);
    if (m_streamPos < m_stream.size() && (!m_paced || m_owed.empty()))
        next = std::min(next, m_stream[m_streamPos].atMs);
    if (!m_actions.empty()) next = std::min(next, m_actions.begin()->first);
    return next;
}

bool FakeSerialPort::writeHeld() const {
    const std::int64_t now = m_clock.nowMs();
    for (const auto& [from, until] : m_heldSpans)
        if (now >= from && now < until) return true;
    const auto held = m_heldWrites.find(static_cast<std::size_t>(m_written.size()));
    return held != m_heldWrites.end() && now < held->second;
}

std::int64_t FakeSerialPort::nextWriteEvent() const {
    const std::int64_t now = m_clock.nowMs();
    std::int64_t next = m_vanishAtMs;
    for (const auto& [from, until] : m_heldSpans)
        if (now >= from && now < until) next = std::min(next, until);
    const auto held = m_heldWrites.find(static_cast<std::size_t>(m_written.size()));
    if (held != m_heldWrites.end() && now < held->second) next = std::min(next, held->second);
    if (!m_actions.empty()) next = std::min(next, m_actions.begin()->first);
    return next;
}

void FakeSerialPort::moveClockTo(std::int64_t ms) {
    m_clock.advanceTo(ms);
    while (!m_actions.empty() && m_actions.begin()->first <= m_clock.nowMs()) {
        auto action = std::move(m_actions.begin()->second);
        m_actions.erase(m_actions.begin());
        action();
    }
}

void FakeSerialPort::noteCall(std::chrono::milliseconds timeout, bool progressed,
                              std::int64_t before) {
    m_longestTimeout = std::max<std::int64_t>(m_longestTimeout, timeout.count());
    m_idleRun = (progressed || m_clock.nowMs() != before) ? 0 : m_idleRun + 1;
    m_longestIdleRun = std::max(m_longestIdleRun, m_idleRun);
    if (m_clock.nowMs() > kHorizonMs) m_ranAway = true;
}

SerialPort::Result FakeSerialPort::read(std::span<std::uint8_t> buffer,
                                        std::chrono::milliseconds timeout) {
    const std::int64_t before = m_clock.nowMs();
    const std::int64_t deadline = before + timeout.count();
    ++m_reads;
    if (m_paced && !m_owed.empty()) ++m_readsWhileEchoOwed;
    moveClockTo(before);
    SerialPort::Result result;
    for (;;) {
        if (m_ranAway) {
            result.status = SerialPort::Status::Hangup;
            break;
        }
        const std::size_t n = std::min(readableNow(), buffer.size());
        if (n > 0) {
            const bool fromReply = m_replyPos < m_reply.size();
            for (std::size_t i = 0; i < n; ++i) {
                if (fromReply) {
                    buffer[i] = m_reply[m_replyPos++].byte;
                } else {
                    buffer[i] = m_stream[m_streamPos++].byte;
                    if (m_paced) m_owed.push_back(buffer[i]);
                }
            }
            result = {SerialPort::Status::Ok, n, 0};
            break;
        }
        if (gone()) {
            result = {m_vanishStatus, 0, m_vanishError};
            break;
        }
        if (woken()) break;
        const std::int64_t next = nextReadEvent();
        if (next > deadline) {
            moveClockTo(deadline);
            break;
        }
        moveClockTo(next);
    }
    noteCall(timeout, result.status == SerialPort::Status::Ok, before);
    return result;
}

void FakeSerialPort::checkEcho(std::uint8_t byte) {
    if (m_owed.empty()) {
        m_echoErrors.push_back("unexpected write of " + hex(byte));
        return;
    }
    if (m_owed.front() != byte)
        m_echoErrors.push_back("echo " + hex(byte) + " for " + hex(m_owed.front()));
    m_owed.erase(m_owed.begin());
}

SerialPort::Result FakeSerialPort::write(std::span<const std::uint8_t> bytes,
                                         std::chrono::milliseconds timeout) {
    const std::int64_t before = m_clock.nowMs();
    const std::int64_t deadline = before + timeout.count();
    moveClockTo(before);
    const auto delayed = m_delayedWrites.find(static_cast<std::size_t>(m_written.size()));
    if (delayed != m_delayedWrites.end()) {
        m_heldWrites[delayed->first] = m_clock.nowMs() + delayed->second;
        m_delayedWrites.erase(delayed);
    }
    SerialPort::Result result;
    for (;;) {
        if (m_ranAway) {
            result.status = SerialPort::Status::Hangup;
            break;
        }
        if (gone()) {
            result = {m_vanishStatus, 0, m_vanishError};
            break;
        }
        if (!writeHeld()) {
            std::lock_guard lock(m_recordMutex);
            for (std::uint8_t byte : bytes) {
                const bool handshake = m_written.isEmpty() && m_handshakeDelay >= 0;
                m_written.append(static_cast<char>(byte));
                if (handshake) {
                    for (char c : m_handshakeReply)
                        m_reply.push_back(
                            {m_clock.nowMs() + m_handshakeDelay, static_cast<std::uint8_t>(c)});
                } else if (m_paced) {
                    checkEcho(byte);
                }
            }
            result = {SerialPort::Status::Ok, bytes.size(), 0};
            break;
        }
        if (woken()) break;
        const std::int64_t next = nextWriteEvent();
        if (next > deadline) {
            moveClockTo(deadline);
            break;
        }
        moveClockTo(next);
    }
    noteCall(timeout, result.status == SerialPort::Status::Ok, before);
    return result;
}

void FakeSerialPort::pause(std::chrono::milliseconds span, const WakeSignal* wake) {
    const std::int64_t deadline = m_clock.nowMs() + span.count();
    moveClockTo(m_clock.nowMs());
    while (!raised(wake) && m_clock.nowMs() < deadline) {
        const std::int64_t next =
            m_actions.empty() ? deadline : std::min(deadline, m_actions.begin()->first);
        moveClockTo(next);
    }
}

bool FakeSerialPort::woken() {
    if (!m_wake || !m_wake->isRaised()) return false;
    ++m_wakes;
    return true;
}

void FakeSerialPort::close() {
    m_closed = true;
    if (m_onClose) m_onClose();
}
