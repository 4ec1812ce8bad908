#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/SerialPort.h"

// A port that counts what it reads and notes when the system gives the line up, so that the
// collector can tell a silent pass from a busy one and a broken line from a missing echo.
class CountingPort final : public SerialPort {
public:
    CountingPort(std::unique_ptr<SerialPort> port, std::atomic<std::uint64_t>& bytesRead,
                 std::atomic<bool>& lineFailed)
        : m_port(std::move(port)), m_bytesRead(bytesRead), m_lineFailed(lineFailed) {}

    Result read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        return note(m_port->read(buffer, timeout), true);
    }
    Result write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout) override {
        return note(m_port->write(bytes, timeout), false);
    }
    void setWake(const WakeSignal* wake) override { m_port->setWake(wake); }

private:
    Result note(Result r, bool reading) {
        if (reading && r.status == Status::Ok) m_bytesRead.fetch_add(r.count);
        if (r.status == Status::Hangup || r.status == Status::Error) m_lineFailed.store(true);
        return r;
    }

    std::unique_ptr<SerialPort> m_port;
    std::atomic<std::uint64_t>& m_bytesRead;
    std::atomic<bool>& m_lineFailed;
};
