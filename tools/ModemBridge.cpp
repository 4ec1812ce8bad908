#include "tools/ModemBridge.h"

#include <array>
#include <cstring>

#include "platform/SerialPort.h"

using namespace std::chrono_literals;

std::unique_ptr<ModemBridge> ModemBridge::open(const std::string& peer, int rate, SerialPort& dte,
                                               std::mutex& dteMutex, WakeSignal& ended,
                                               std::string& error) {
    SerialOpenResult opened = openSerialPort(peer, rate);
    if (!opened.port) {
        error = "cannot open " + peer + ": " + std::strerror(opened.error);
        return nullptr;
    }
    return std::make_unique<ModemBridge>(std::move(opened.port), dte, dteMutex, ended);
}

ModemBridge::ModemBridge(std::unique_ptr<SerialPort> peer, SerialPort& dte, std::mutex& dteMutex,
                         WakeSignal& ended)
    : m_peer(std::move(peer)), m_dte(dte), m_dteMutex(dteMutex), m_ended(ended) {
    m_peer->setWake(&m_stop);
    m_thread = std::thread([this] { pump(); });
}

ModemBridge::~ModemBridge() {
    m_stop.raise();
    m_thread.join();
    m_peer->setWake(nullptr);
}

void ModemBridge::toPeer(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty() && !m_peerGone) {
        const SerialPort::Result r = m_peer->write(bytes, 1s);
        if (r.status != SerialPort::Status::Ok) return;
        bytes = bytes.subspan(r.count);
    }
}

void ModemBridge::pump() {
    std::array<std::uint8_t, 4096> buffer{};
    while (!m_stop.isRaised()) {
        const SerialPort::Result r = m_peer->read(buffer, 1s);
        if (r.status == SerialPort::Status::Timeout) continue;
        if (r.status != SerialPort::Status::Ok) {
            m_peerGone = true;
            m_ended.raise();
            return;
        }
        if (!m_forwarding) continue;
        std::lock_guard lock(m_dteMutex);
        std::span<const std::uint8_t> rest(buffer.data(), r.count);
        while (!rest.empty()) {
            const SerialPort::Result w = m_dte.write(rest, 1s);
            if (w.status != SerialPort::Status::Ok) break;
            rest = rest.subspan(w.count);
        }
    }
}
