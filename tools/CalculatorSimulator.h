#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/SimulatorOptions.h"

class PseudoTerminal;
class SerialPort;

// A heat-meter calculator on a serial line, running on its own thread.
//
//   CalculatorSimulatorOptions o;
//   o.deviceType = 0;
//   o.stream.forms = {"ABC", "DEF"};
//   CalculatorSimulator sim(o);
//   if (!sim.start()) fail(sim.error());
//   setenv("TABULON_COM1", sim.slavePath().c_str(), 1);
//   ... run an exchange on COM1 ...
//   sim.waitFinished(5s);
//   sim.report().echoesChecked;
class CalculatorSimulator {
public:
    explicit CalculatorSimulator(CalculatorSimulatorOptions options);
    ~CalculatorSimulator();  // stops and joins
    CalculatorSimulator(const CalculatorSimulator&) = delete;
    CalculatorSimulator& operator=(const CalculatorSimulator&) = delete;

    // Creates the pseudo-terminal (or opens the device) and starts the thread. False, with
    // error() set, when the line cannot be had.
    bool start();
    std::string error() const;
    // The device path a program opens to talk to this calculator; valid after start().
    std::string slavePath() const;

    // Ends the simulation: the thread leaves whatever it waits for within about 20 ms.
    void stop();
    // Waits until the thread has finished (all exchanges served, vanished, or stopped).
    // False if it still runs after `timeout`.
    bool waitFinished(std::chrono::milliseconds timeout = std::chrono::hours(24));
    bool finished() const;

    CalculatorSimulatorReport report() const;
    // The speed the program set on the pseudo-terminal, read now (see PseudoTerminal); 0 on a
    // device or once the simulator has finished.
    int lineRate() const;

private:
    void run();
    bool waitPeerOpen();
    SerialPort& line();
    void setFinished();
    void countExchange();
    void setVanished();
    void closeLine();

    CalculatorSimulatorOptions m_options;
    std::unique_ptr<PseudoTerminal> m_pty;
    std::unique_ptr<SerialPort> m_device;
    std::string m_slavePath;
    std::string m_error;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};

    mutable std::mutex m_mutex;
    std::condition_variable m_finishedChanged;
    bool m_finished = true;
    CalculatorSimulatorReport m_report;
};
