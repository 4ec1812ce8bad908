#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "tools/SimulatorOptions.h"

class SerialPort;

// One calculator's side of the exchanges on one line: the handshake reply, the stream with its
// echo checks, and the silence after it. Every wait is a read or write of at most 20 ms, so a
// stop request is seen at once.
class SimulatorSession {
public:
    enum class Outcome {
        Done,          // the stream went out whole (or the reply was withheld on purpose)
        EchoMissing,   // an echo did not come back in time; the stream ended there
        PeerGone,      // the far end hung up
        Stopped,       // stop() was called
        Vanish,        // the stream reached vanishAfter: the caller must close the line now
        NextExchange,  // the handshake byte of the next exchange came while falling silent
    };
    using ReportUpdate =
        std::function<void(const std::function<void(CalculatorSimulatorReport&)>&)>;

    SimulatorSession(SerialPort& line, const CalculatorSimulatorOptions& options,
                     const std::atomic<bool>& stop, ReportUpdate update);

    // The handshake as the type answers it (its byte already taken when `handshakeTaken`),
    // then the stream.
    Outcome serveExchange(bool handshakeTaken = false);
    // Silence until the far end hangs up (PeerGone) or stop (Stopped). A program that closes
    // and at once opens the line again leaves no hang-up to see; with `acceptNext` the
    // handshake byte of its next exchange ends the silence instead (NextExchange). Anything
    // else received in the meantime is counted as unexpected.
    Outcome fallSilent(bool acceptNext = false);

private:
    using Clock = std::chrono::steady_clock;

    Outcome awaitHandshake();
    Outcome sendStream(std::span<const std::uint8_t> bytes);
    Outcome sendWithEcho(std::span<const std::uint8_t> bytes);
    Outcome sendWithoutEcho(std::span<const std::uint8_t> bytes);
    Outcome awaitEcho(std::uint8_t sent);
    Outcome writeAll(std::span<const std::uint8_t> bytes);
    Outcome pause(Clock::time_point until);
    double pace() const;
    void problem(std::string text);

    SerialPort& m_line;
    const CalculatorSimulatorOptions& m_options;
    const std::atomic<bool>& m_stop;
    ReportUpdate m_update;
    std::vector<std::uint8_t> m_stream;
};
