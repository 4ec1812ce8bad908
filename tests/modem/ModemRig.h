#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "modem/DialPlan.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "tools/ModemSimulator.h"

// The dialer's line to the fake modem: a real pseudo-terminal, whose DTR calls (which a
// pseudo-terminal has no lines for) go to the fake, as a serial port's go to its modem.
class DtrWiredLine final : public SerialPort {
public:
    DtrWiredLine(std::unique_ptr<SerialPort> line, ModemSimulator& modem)
        : m_line(std::move(line)), m_modem(modem) {}
    Result read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        return m_line->read(buffer, timeout);
    }
    Result write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout) override {
        return m_line->write(bytes, timeout);
    }
    void setWake(const WakeSignal* wake) override { m_line->setWake(wake); }
    bool setDtr(bool raised) override {
        m_modem.setDtr(raised);
        return true;
    }

private:
    std::unique_ptr<SerialPort> m_line;
    ModemSimulator& m_modem;
};

// Times short enough for a test, long enough for a loaded machine to answer on a pty.
inline DialPlan quickPlan(std::string phone) {
    DialPlan plan;
    plan.phone = std::move(phone);
    plan.guardTime = std::chrono::milliseconds(150);
    plan.commandTimeout = std::chrono::milliseconds(1500);
    plan.dtrLow = std::chrono::milliseconds(5);
    return plan;
}

inline ModemCallScript script(ModemCallScript::Answer answer, std::string peer = {}) {
    ModemCallScript s;
    s.answer = answer;
    s.delay = std::chrono::milliseconds(50);
    s.peer = std::move(peer);
    return s;
}

inline ModemSimulatorOptions quickModem() {
    ModemSimulatorOptions o;
    o.guardTime = std::chrono::milliseconds(60);
    return o;
}

// Opens the fake's line as the dialer's, with DTR wired to it.
inline std::unique_ptr<SerialPort> openModemLine(ModemSimulator& modem) {
    SerialOpenResult opened = openSerialPort(modem.slavePath(), 9600);
    if (!opened.port) return nullptr;
    return std::make_unique<DtrWiredLine>(std::move(opened.port), modem);
}

// The index of the last event that starts with `prefix`, or -1.
inline int lastEvent(const std::vector<ModemEvent>& events, const std::string& prefix) {
    for (int i = static_cast<int>(events.size()) - 1; i >= 0; --i)
        if (events[i].text.starts_with(prefix)) return i;
    return -1;
}

inline std::string eventLog(const std::vector<ModemEvent>& events) {
    std::string text;
    for (const ModemEvent& e : events) text += e.text + " | ";
    return text;
}

// Waits (in real time, as the fake runs in it) until the fake logged `prefix`.
inline bool waitForEvent(ModemSimulator& modem, const std::string& prefix) {
    for (int i = 0; i < 1000; ++i) {
        if (lastEvent(modem.events(), prefix) >= 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// The modem went on-hook after the last `after` it logged (a dial, a CONNECT).
inline void expectOnHookAfter(ModemSimulator& modem, const std::string& after) {
    EXPECT_TRUE(modem.waitOnHook(std::chrono::seconds(5)));
    const std::vector<ModemEvent> events = modem.events();
    EXPECT_GT(lastEvent(events, "on-hook"), lastEvent(events, after)) << eventLog(events);
}
