#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "platform/WakeSignal.h"

class SerialPort;

// The far end of the fake modem's call: a device opened when the call comes up (a calculator
// simulator's line), whose bytes a thread of its own passes to the modem's line while the
// modem is in the call. Closing it is the far end hanging up.
class ModemBridge {
public:
    // `dte` is the modem's line, written under `dteMutex`; `ended` is raised when the far end
    // hangs up. Null with `error` set when the peer does not open.
    static std::unique_ptr<ModemBridge> open(const std::string& peer, int rate, SerialPort& dte,
                                             std::mutex& dteMutex, WakeSignal& ended,
                                             std::string& error);
    ModemBridge(std::unique_ptr<SerialPort> peer, SerialPort& dte, std::mutex& dteMutex,
                WakeSignal& ended);
    ~ModemBridge();  // stops the thread, closes the peer
    ModemBridge(const ModemBridge&) = delete;
    ModemBridge& operator=(const ModemBridge&) = delete;

    void toPeer(std::span<const std::uint8_t> bytes);
    // While off (the modem takes commands in the call) the far end's bytes are dropped.
    void setForwarding(bool on) { m_forwarding = on; }
    bool peerGone() const { return m_peerGone; }

private:
    void pump();

    std::unique_ptr<SerialPort> m_peer;
    SerialPort& m_dte;
    std::mutex& m_dteMutex;
    WakeSignal& m_ended;
    WakeSignal m_stop;
    std::atomic<bool> m_forwarding{true};
    std::atomic<bool> m_peerGone{false};
    std::thread m_thread;
};
