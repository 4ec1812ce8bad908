#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/WakeSignal.h"
#include "tools/EscapeDetector.h"
#include "tools/HayesInterpreter.h"
#include "tools/ModemOptions.h"

class ModemBridge;
class PseudoTerminal;
class SerialPort;

// A Hayes modem on a pseudo-terminal, running on its own thread: a program opens its line and
// talks AT to it; each dialled number is answered as scripted, a call that comes up bridges the
// line to a device (a calculator simulator) until the modem hangs up. Every command, answer and
// hang-up goes to a log.
//
//   ModemSimulatorOptions o;
//   o.numbers["5551234"] = {ModemCallScript::Answer::Connect, 0ms, "CONNECT 9600/RLP", simPath};
//   ModemSimulator modem(o);
//   if (!modem.start()) fail(modem.error());
//   ... dial through modem.slavePath() ...
//   EXPECT_FALSE(modem.offHook());
//
// A pseudo-terminal has no modem lines: DTR is what setDtr() last said (raised at start), and a
// test wires its line's DTR calls to it.
class ModemSimulator {
public:
    explicit ModemSimulator(ModemSimulatorOptions options);
    ~ModemSimulator();  // stops and joins
    ModemSimulator(const ModemSimulator&) = delete;
    ModemSimulator& operator=(const ModemSimulator&) = delete;

    bool start();
    std::string error() const;
    std::string slavePath() const;
    void stop();

    // DTR as the modem sees it. Dropping it under AT&D2 hangs up, as closing a real port does
    // on a machine whose port drops DTR when closed.
    void setDtr(bool raised);

    bool offHook() const { return m_offHook; }
    // Waits until the modem is on-hook; false if still off-hook after `timeout`.
    bool waitOnHook(std::chrono::milliseconds timeout);
    std::vector<ModemEvent> events() const;

private:
    enum class State { Command, Dialling, Online };

    void run();
    bool waitLineOpen();
    std::chrono::milliseconds nextWait();
    void takeBytes(std::span<const std::uint8_t> bytes);
    void commandByte(std::uint8_t b);
    void execute(const std::string& line);
    void startDial(const std::string& number);
    void answerDial();
    void connect();
    void noteTimers();
    void noteDtr();
    void hangUp(const std::string& why, bool tellNoCarrier);
    void send(const std::string& text);
    void log(std::string text);
    std::int64_t nowMs() const;

    ModemSimulatorOptions m_options;
    std::unique_ptr<PseudoTerminal> m_pty;
    std::string m_slavePath;
    std::string m_error;
    std::thread m_thread;
    WakeSignal m_wake;  // stop, DTR, the far end hanging up
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_dtr{true};
    std::atomic<int> m_dtrDrops{0};
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();

    HayesInterpreter m_interpreter;
    EscapeDetector m_escape;
    State m_state = State::Command;
    std::string m_lineIn;
    ModemCallScript m_dialled;
    std::int64_t m_answerAtMs = 0;
    std::unique_ptr<ModemBridge> m_bridge;
    std::mutex m_lineMutex;  // writes to the line: this thread's and the bridge's

    mutable std::mutex m_mutex;
    std::condition_variable m_hookChanged;
    std::atomic<bool> m_offHook{false};
    std::vector<ModemEvent> m_events;
};
