#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/SerialPort.h"

// A port that counts what it reads, so that the collector can tell a silent pass from a busy one.
class CountingPort final : public SerialPort {
public:
    CountingPort(std::unique_ptr<SerialPort> port, std::atomic<std::uint64_t>& bytesRead)
        : m_port(std::move(port)), m_bytesRead(bytesRead) {}

    Result read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        const Result r = m_port->read(buffer, timeout);
        if (r.status == Status::Ok) m_bytesRead.fetch_add(r.count);
        return r;
    }
    Result write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout) override {
        return m_port->write(bytes, timeout);
    }
    void setWake(const WakeSignal* wake) override { m_port->setWake(wake); }
    // A dial-up site's hang-up drops DTR through here.
    bool setDtr(bool raised) override { return m_port->setDtr(raised); }

private:
    std::unique_ptr<SerialPort> m_port;
    std::atomic<std::uint64_t>& m_bytesRead;
};
