#include "collect/HeartbeatLine.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// How long the end of `bytes` runs as the beginning of `heartbeat`, short of all of it.
qsizetype partialTail(const QByteArray& bytes, const QByteArray& heartbeat) {
    for (qsizetype n = std::min(bytes.size(), heartbeat.size() - 1); n > 0; --n)
        if (bytes.endsWith(heartbeat.first(n))) return n;
    return 0;
}

}  // namespace

// Every whole heartbeat out of the held bytes; what cannot begin one goes to the ready bytes.
void HeartbeatLine::sift() {
    for (qsizetype at; (at = m_held.indexOf(m_heartbeat)) >= 0;) {
        m_ready += m_held.first(at);
        m_held.remove(0, at + m_heartbeat.size());
    }
    const qsizetype keep = partialTail(m_held, m_heartbeat);
    m_ready += m_held.first(m_held.size() - keep);
    m_held.remove(0, m_held.size() - keep);
}

SerialPort::Result HeartbeatLine::deliver(std::span<std::uint8_t> buffer) {
    const std::size_t count = std::min(buffer.size(), std::size_t(m_ready.size()));
    std::memcpy(buffer.data(), m_ready.constData(), count);
    m_ready.remove(0, qsizetype(count));
    return {Status::Ok, count, 0};
}

SerialPort::Result HeartbeatLine::read(std::span<std::uint8_t> buffer,
                                       std::chrono::milliseconds timeout) {
    if (m_heartbeat.isEmpty()) return m_line.read(buffer, timeout);
    // A heartbeat read is no byte of the calculator's: the wait goes on for the rest of the time.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::uint8_t chunk[512];
    while (m_ready.isEmpty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const Result r =
            m_line.read(std::span(chunk, std::min(sizeof chunk, buffer.size())),
                        std::max(left, std::chrono::milliseconds(0)));
        if (r.status != Status::Ok) {
            if (m_held.isEmpty()) return r;
            m_ready = std::exchange(m_held, QByteArray());
            break;
        }
        m_held.append(reinterpret_cast<const char*>(chunk), qsizetype(r.count));
        sift();
        if (m_ready.isEmpty() && left.count() <= 0) return {Status::Timeout, 0, 0};
    }
    return deliver(buffer);
}
