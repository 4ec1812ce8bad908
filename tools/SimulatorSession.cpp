#include "tools/SimulatorSession.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "platform/SerialPort.h"

namespace {

using namespace std::chrono_literals;
constexpr auto kSlice = 20ms;  // longest single wait: how late a stop request may be seen
constexpr std::uint8_t kHandshakeByte = 0x55;

bool hasHandshake(int type) {
    return type != 4;
}
bool hasEcho(int type) {
    return type != 4;
}

std::string hex(std::uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

}  // namespace

SimulatorSession::SimulatorSession(SerialPort& line, const CalculatorSimulatorOptions& options,
                                   const std::atomic<bool>& stop, ReportUpdate update)
    : line_(line),
      options_(options),
      stop_(stop),
      update_(std::move(update)),
      stream_(buildSimulatorStream(options.stream)) {}

void SimulatorSession::problem(std::string text) {
    update_([&](CalculatorSimulatorReport& r) {
        if (r.problems.size() < 50) r.problems.push_back(std::move(text));
    });
}

double SimulatorSession::pace() const {
    if (options_.paceAtLineRate) return options_.rate / 10.0;
    return options_.bytesPerSecond;
}

SimulatorSession::Outcome SimulatorSession::serveExchange(bool handshakeTaken) {
    if (hasHandshake(options_.deviceType)) {
        if (!handshakeTaken)
            if (const Outcome o = awaitHandshake(); o != Outcome::Done) return o;
        std::vector<std::uint8_t> reply;
        switch (options_.reply) {
            case CalculatorSimulatorOptions::Reply::AsType:
                if (options_.deviceType != 5) reply.push_back(0x00);
                reply.push_back(kHandshakeByte);
                break;
            case CalculatorSimulatorOptions::Reply::Custom:
                reply = options_.customReply;
                break;
            case CalculatorSimulatorOptions::Reply::None:
                return Outcome::Done;
        }
        if (const Outcome o = writeAll(reply); o != Outcome::Done) return o;
    }
    if (const Outcome o = pause(Clock::now() + options_.startDelay); o != Outcome::Done) return o;

    std::span<const std::uint8_t> bytes(stream_);
    const bool vanish = options_.vanishAfter && *options_.vanishAfter <= stream_.size();
    if (vanish) bytes = bytes.first(*options_.vanishAfter);
    const auto started = Clock::now();
    const Outcome o = hasEcho(options_.deviceType) ? sendWithEcho(bytes) : sendWithoutEcho(bytes);
    const auto took = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - started);
    update_([&](CalculatorSimulatorReport& r) { r.lastStreamNs = took.count(); });
    if (o != Outcome::Done) return o;
    if (vanish) return Outcome::Vanish;
    update_([](CalculatorSimulatorReport& r) { ++r.streamsCompleted; });
    return Outcome::Done;
}

SimulatorSession::Outcome SimulatorSession::awaitHandshake() {
    for (;;) {
        if (stop_) return Outcome::Stopped;
        std::uint8_t b = 0;
        const SerialPort::Result r = line_.read({&b, 1}, kSlice);
        if (r.status == SerialPort::Status::Hangup) return Outcome::PeerGone;
        if (r.status == SerialPort::Status::Error) {
            problem("read failed with error " + std::to_string(r.error));
            return Outcome::PeerGone;
        }
        if (r.status != SerialPort::Status::Ok) continue;
        if (b == kHandshakeByte) {
            update_([](CalculatorSimulatorReport& rep) { ++rep.handshakesSeen; });
            return Outcome::Done;
        }
        update_([](CalculatorSimulatorReport& rep) { ++rep.unexpectedBytes; });
        problem("byte " + hex(b) + " before the handshake byte");
    }
}

SimulatorSession::Outcome SimulatorSession::sendWithEcho(std::span<const std::uint8_t> bytes) {
    const double bps = pace();
    const auto start = Clock::now();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bps > 0) {
            const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(i / bps));
            if (const Outcome o = pause(due); o != Outcome::Done) return o;
        }
        if (const Outcome o = writeAll(bytes.subspan(i, 1)); o != Outcome::Done) return o;
        update_([](CalculatorSimulatorReport& r) { ++r.bytesSent; });
        if (const Outcome o = awaitEcho(bytes[i]); o != Outcome::Done) return o;
    }
    return Outcome::Done;
}

SimulatorSession::Outcome SimulatorSession::awaitEcho(std::uint8_t sent) {
    const auto start = Clock::now();
    const bool limited = options_.echoTimeout.count() > 0;
    for (;;) {
        if (stop_) return Outcome::Stopped;
        std::uint8_t echo = 0;
        const SerialPort::Result r = line_.read({&echo, 1}, kSlice);
        const auto now = Clock::now();
        if (r.status == SerialPort::Status::Ok) {
            update_([&](CalculatorSimulatorReport& rep) {
                ++rep.echoesChecked;
                if (echo != sent) ++rep.echoErrors;
                if (options_.recordEchoTimes)
                    rep.echoTurnaroundNs.push_back(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now - start).count());
            });
            if (echo != sent) problem("echo " + hex(echo) + " for byte " + hex(sent));
            return Outcome::Done;
        }
        if (r.status == SerialPort::Status::Hangup || r.status == SerialPort::Status::Error) {
            update_([](CalculatorSimulatorReport& rep) { rep.peerHungUp = true; });
            problem("the line hung up while waiting for the echo of " + hex(sent));
            return Outcome::PeerGone;
        }
        if (limited && now - start >= options_.echoTimeout) {
            update_([](CalculatorSimulatorReport& rep) { ++rep.echoesMissing; });
            problem("no echo for byte " + hex(sent));
            return Outcome::EchoMissing;
        }
    }
}

SimulatorSession::Outcome SimulatorSession::sendWithoutEcho(std::span<const std::uint8_t> bytes) {
    const double bps = pace();
    const auto start = Clock::now();
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        std::size_t chunk = std::min<std::size_t>(bytes.size() - sent, 64 * 1024);
        if (bps > 0) {
            // As many bytes as are due by now; at least one, after waiting for it.
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            const auto due = static_cast<std::size_t>(elapsed * bps);
            if (due <= sent) {
                const auto next = start + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>((sent + 1) / bps));
                if (const Outcome o = pause(next); o != Outcome::Done) return o;
                continue;
            }
            chunk = std::min(chunk, due - sent);
        }
        if (stop_) return Outcome::Stopped;
        const SerialPort::Result r = line_.write(bytes.subspan(sent, chunk), kSlice);
        if (r.status == SerialPort::Status::Hangup || r.status == SerialPort::Status::Error) {
            update_([](CalculatorSimulatorReport& rep) { rep.peerHungUp = true; });
            problem("the line hung up during the stream");
            return Outcome::PeerGone;
        }
        if (r.status != SerialPort::Status::Ok) continue;
        sent += r.count;
        update_([&](CalculatorSimulatorReport& rep) { rep.bytesSent += r.count; });
    }
    return Outcome::Done;
}

SimulatorSession::Outcome SimulatorSession::writeAll(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (stop_) return Outcome::Stopped;
        const SerialPort::Result r = line_.write(bytes.subspan(done), kSlice);
        if (r.status == SerialPort::Status::Hangup || r.status == SerialPort::Status::Error)
            return Outcome::PeerGone;
        if (r.status == SerialPort::Status::Ok) done += r.count;
    }
    return Outcome::Done;
}

SimulatorSession::Outcome SimulatorSession::pause(Clock::time_point until) {
    for (;;) {
        if (stop_) return Outcome::Stopped;
        const auto now = Clock::now();
        if (now >= until) return Outcome::Done;
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, kSlice));
    }
}

SimulatorSession::Outcome SimulatorSession::fallSilent(bool acceptNext) {
    const bool handshake = hasHandshake(options_.deviceType);
    for (;;) {
        if (stop_) return Outcome::Stopped;
        std::uint8_t b = 0;
        const SerialPort::Result r = line_.read({&b, 1}, kSlice);
        if (r.status == SerialPort::Status::Hangup || r.status == SerialPort::Status::Error)
            return Outcome::PeerGone;
        if (r.status != SerialPort::Status::Ok) continue;
        if (acceptNext && handshake && b == kHandshakeByte) {
            update_([](CalculatorSimulatorReport& rep) { ++rep.handshakesSeen; });
            return Outcome::NextExchange;
        }
        update_([](CalculatorSimulatorReport& rep) { ++rep.unexpectedBytes; });
        problem("unexpected byte " + hex(b) + " after the stream");
    }
}
