#pragma once

#include <QByteArray>
#include <chrono>

#include "platform/SerialPort.h"

// The connection of a modem that called in, lent to one exchange: the exchange reads it as it
// reads a cable, without the heartbeat bytes the modem slips in between the calculator's, and
// closing it leaves the connection open for the next exchange. A heartbeat split across two
// reads is held back until the next read tells whether it is one; a read that brings nothing
// more lets the held bytes through, since they were the calculator's after all.
class HeartbeatLine final : public SerialPort {
public:
    // `restoreWake` is the signal the connection's owner waits on again once this is gone.
    HeartbeatLine(SerialPort& line, QByteArray heartbeat, const WakeSignal* restoreWake)
        : m_line(line), m_heartbeat(std::move(heartbeat)), m_restoreWake(restoreWake) {}
    ~HeartbeatLine() override { m_line.setWake(m_restoreWake); }

    Result read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override;
    Result write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout) override {
        return m_line.write(bytes, timeout);
    }
    void setWake(const WakeSignal* wake) override { m_line.setWake(wake); }

private:
    void sift();
    Result deliver(std::span<std::uint8_t> buffer);

    SerialPort& m_line;
    const QByteArray m_heartbeat;
    const WakeSignal* m_restoreWake;
    QByteArray m_held;   // may begin a heartbeat
    QByteArray m_ready;  // the calculator's, not yet read
};
