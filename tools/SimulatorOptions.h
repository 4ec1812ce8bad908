#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/SimulatorStream.h"

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
    // A pause of `pauseFor` once `pauseAfter` stream bytes have gone out (and been echoed), as a
    // calculator that stops to gather its figures in the middle of a form.
    std::optional<std::size_t> pauseAfter;
    std::chrono::milliseconds pauseFor{0};

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
