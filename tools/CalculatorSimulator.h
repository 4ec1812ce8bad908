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

#include "tools/SimulatorStream.h"

class PseudoTerminal;
class SerialPort;

// How the simulated calculator behaves.
struct CalculatorSimulatorOptions {
    int deviceType = 0;  // 0..5: handshake reply and echo as that calculator type has them
    std::string device;  // empty: a new pseudo-terminal (see slavePath()); else this serial port
    int rate = 9600;     // speed of `device`, and the pace when paceAtLineRate is set

    enum class Reply {
        AsType,  // 0x00 0x55 for types 0-3, 0x55 for type 5 (type 4 has no handshake)
        Custom,  // customReply instead, e.g. a wrong one
        None,    // take the handshake byte and fall silent
    };
    Reply reply = Reply::AsType;
    std::vector<std::uint8_t> customReply;

    SimulatorStreamParts stream;  // the forms, tail text and raw bytes sent after the handshake

    // Pace of the stream in bytes a second; 0 sends as fast as the line takes it. With
    // paceAtLineRate the pace is rate / 10 (8 data bits, start and stop bit).
    double bytesPerSecond = 0;
    bool paceAtLineRate = false;
    std::chrono::milliseconds startDelay{0};  // pause after the handshake (type 4: after open)

    // How long the echo of each byte may take; 0 waits without limit (an operator answering the
    // start question holds the first echo back for as long as he reads it). A missing echo
    // ends the stream: a real calculator gives up there.
    std::chrono::milliseconds echoTimeout{10000};

    // Close the line after this many stream bytes have been sent: the device vanishes. Ends the
    // simulator (a pseudo-terminal cannot come back under the same path).
    std::optional<std::size_t> vanishAfter;

    // Exchanges to serve; 0 serves them until stop(). On a pseudo-terminal an exchange begins
    // when a program opens the far end and ends when it closes it; on a device the next one
    // begins with the next handshake byte (type 4: there is only one).
    int exchanges = 1;

    bool recordEchoTimes = false;  // keep the turnaround of every echo in the report
};

struct CalculatorSimulatorReport {
    int exchanges = 0;                  // exchanges begun (the far end opened)
    int handshakesSeen = 0;             // handshake bytes 0x55 received
    int streamsCompleted = 0;           // streams sent to their last byte (with every echo back)
    std::size_t bytesSent = 0;          // stream bytes, all exchanges together
    std::size_t echoesChecked = 0;      // echoes received and compared
    std::size_t echoErrors = 0;         // echoes that differed from the byte sent
    std::size_t echoesMissing = 0;      // echoes not back within echoTimeout
    std::size_t unexpectedBytes = 0;    // bytes received that were neither handshake nor echo
    bool vanished = false;              // the simulator closed the line on purpose
    bool peerHungUp = false;            // the far end was closed while a stream was under way
    std::vector<std::string> problems;  // what went wrong, in words (first 50)
    std::vector<std::int64_t> echoTurnaroundNs;  // with recordEchoTimes
    // From the first byte of the latest stream to its last byte (and that byte's echo).
    std::int64_t lastStreamNs = 0;
};

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

    CalculatorSimulatorOptions options_;
    std::unique_ptr<PseudoTerminal> pty_;
    std::unique_ptr<SerialPort> device_;
    std::string slavePath_;
    std::string error_;
    std::thread thread_;
    std::atomic<bool> stop_{false};

    mutable std::mutex mutex_;
    std::condition_variable finishedChanged_;
    bool finished_ = true;
    CalculatorSimulatorReport report_;
};
