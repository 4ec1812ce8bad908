#pragma once

#include <memory>

#include "platform/LineLock.h"
#include "platform/SerialPort.h"

// An open line that holds its line's lock for as long as it is open: the lock goes only after
// the port is closed, so the next taker never finds it still open.
class LockedPort final : public SerialPort {
public:
    LockedPort(std::unique_ptr<SerialPort> port, std::unique_ptr<LineLock> lock)
        : m_lock(std::move(lock)), m_port(std::move(port)) {}

    Result read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        return m_port->read(buffer, timeout);
    }
    Result write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout) override {
        return m_port->write(bytes, timeout);
    }
    void setWake(const WakeSignal* wake) override { m_port->setWake(wake); }
    bool setDtr(bool raised) override { return m_port->setDtr(raised); }

private:
    // Declared first, destroyed last.
    std::unique_ptr<LineLock> m_lock;
    std::unique_ptr<SerialPort> m_port;
};
