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
    : m_line(line),
      m_options(options),
      m_stop(stop),
      m_update(std::move(update)),
      m_stream(buildSimulatorStream(options.stream)) {}

void SimulatorSession::problem(std::string text) {
    m_update([&](CalculatorSimulatorReport& r) {
        if (r.problems.size() < 50) r.problems.push_back(std::move(text));
    });
}

double SimulatorSession::pace() const {
    if (m_options.paceAtLineRate) return m_options.rate / 10.0;
    return m_options.bytesPerSecond;
}

SimulatorSession::Outcome SimulatorSession::serveExchange(bool handshakeTaken) {
    if (hasHandshake(m_options.deviceType)) {
        if (!handshakeTaken)
            if (const Outcome o = awaitHandshake(); o != Outcome::Done) return o;
        std::vector<std::uint8_t> reply;
        switch (m_options.reply) {
            case CalculatorSimulatorOptions::Reply::AsType:
                if (m_options.deviceType != 5) reply.push_back(0x00);
                reply.push_back(kHandshakeByte);
                break;
            case CalculatorSimulatorOptions::Reply::Custom:
                reply = m_options.customReply;
                break;
            case CalculatorSimulatorOptions::Reply::None:
                return Outcome::Done;
        }
        if (const Outcome o = writeAll(reply); o != Outcome::Done) return o;
    }
    if (const Outcome o = pause(Clock::now() + m_options.startDelay); o != Outcome::Done) return o;

    std::span<const std::uint8_t> bytes(m_stream);
    const bool vanish = m_options.vanishAfter && *m_options.vanishAfter <= m_stream.size();
    if (vanish) bytes = bytes.first(*m_options.vanishAfter);
    const auto started = Clock::now();
    const Outcome o = sendStream(bytes);
    const auto took = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - started);
    m_update([&](CalculatorSimulatorReport& r) { r.lastStreamNs = took.count(); });
    if (o != Outcome::Done) return o;
    if (vanish) return Outcome::Vanish;
    m_update([](CalculatorSimulatorReport& r) { ++r.streamsCompleted; });
    return Outcome::Done;
}

SimulatorSession::Outcome SimulatorSession::sendStream(std::span<const std::uint8_t> bytes) {
    const auto send = [this](std::span<const std::uint8_t> part) {
        return hasEcho(m_options.deviceType) ? sendWithEcho(part) : sendWithoutEcho(part);
    };
    if (!m_options.pauseAfter || *m_options.pauseAfter >= bytes.size()) return send(bytes);
    if (const Outcome o = send(bytes.first(*m_options.pauseAfter)); o != Outcome::Done) return o;
    if (const Outcome o = pause(Clock::now() + m_options.pauseFor); o != Outcome::Done) return o;
    return send(bytes.subspan(*m_options.pauseAfter));
}

SimulatorSession::Outcome SimulatorSession::awaitHandshake() {
    for (;;) {
        if (m_stop) return Outcome::Stopped;
        std::uint8_t b = 0;
        const SerialPort::Result r = m_line.read({&b, 1}, kSlice);
        if (r.status == SerialPort::Status::Hangup) return Outcome::PeerGone;
        if (r.status == SerialPort::Status::Error) {
            problem("read failed with error " + std::to_string(r.error));
            return Outcome::PeerGone;
        }
        if (r.status != SerialPort::Status::Ok) continue;
        if (b == kHandshakeByte) {
            m_update([](CalculatorSimulatorReport& rep) { ++rep.handshakesSeen; });
            return Outcome::Done;
        }
        m_update([](CalculatorSimulatorReport& rep) { ++rep.unexpectedBytes; });
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
        m_update([](CalculatorSimulatorReport& r) { ++r.bytesSent; });
        if (const Outcome o = awaitEcho(bytes[i]); o != Outcome::Done) return o;
    }
    return Outcome::Done;
}

SimulatorSession::Outcome SimulatorSession::awaitEcho(std::uint8_t sent) {
    const auto start = Clock::now();
    const bool limited = m_options.echoTimeout.count() > 0;
    for (;;) {
        if (m_stop) return Outcome::Stopped;
        std::uint8_t echo = 0;
        const SerialPort::Result r = m_line.read({&echo, 1}, kSlice);
        const auto now = Clock::now();
        if (r.status == SerialPort::Status::Ok) {
            m_update([&](CalculatorSimulatorReport& rep) {
                ++rep.echoesChecked;
                if (echo != sent) ++rep.echoErrors;
                if (m_options.recordEchoTimes)
                    rep.echoTurnaroundNs.push_back(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now - start).count());
            });
            if (echo != sent) problem("echo " + hex(echo) + " for byte " + hex(sent));
            return Outcome::Done;
        }
        if (r.status == SerialPort::Status::Hangup || r.status == SerialPort::Status::Error) {
            m_update([](CalculatorSimulatorReport& rep) { rep.peerHungUp = true; });
            problem("the line hung up while waiting for the echo of " + hex(sent));
            return Outcome::PeerGone;
        }
        if (limited && now - start >= m_options.echoTimeout) {
            m_update([](CalculatorSimulatorReport& rep) { ++rep.echoesMissing; });
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
        if (m_stop) return Outcome::Stopped;
        const SerialPort::Result r = m_line.write(bytes.subspan(sent, chunk), kSlice);
        if (r.status == SerialPort::Status::Hangup || r.status == SerialPort::Status::Error) {
            m_update([](CalculatorSimulatorReport& rep) { rep.peerHungUp = true; });
            problem("the line hung up during the stream");
            return Outcome::PeerGone;
        }
        if (r.status != SerialPort::Status::Ok) continue;
        sent += r.count;
        m_update([&](CalculatorSimulatorReport& rep) { rep.bytesSent += r.count; });
    }
    return Outcome::Done;
}

SimulatorSession::Outcome SimulatorSession::writeAll(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (m_stop) return Outcome::Stopped;
        const SerialPort::Result r = m_line.write(bytes.subspan(done), kSlice);
        if (r.status == SerialPort::Status::Hangup || r.status == SerialPort::Status::Error)
            return Outcome::PeerGone;
        if (r.status == SerialPort::Status::Ok) done += r.count;
    }
    return Outcome::Done;
}

SimulatorSession::Outcome SimulatorSession::pause(Clock::time_point until) {
    for (;;) {
        if (m_stop) return Outcome::Stopped;
        const auto now = Clock::now();
        if (now >= until) return Outcome::Done;
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, kSlice));
    }
}

SimulatorSession::Outcome SimulatorSession::fallSilent(bool acceptNext) {
    const bool handshake = hasHandshake(m_options.deviceType);
    for (;;) {
        if (m_stop) return Outcome::Stopped;
        std::uint8_t b = 0;
        const SerialPort::Result r = m_line.read({&b, 1}, kSlice);
        if (r.status == SerialPort::Status::Hangup || r.status == SerialPort::Status::Error)
            return Outcome::PeerGone;
        if (r.status != SerialPort::Status::Ok) continue;
        if (acceptNext && handshake && b == kHandshakeByte) {
            m_update([](CalculatorSimulatorReport& rep) { ++rep.handshakesSeen; });
            return Outcome::NextExchange;
        }
        m_update([](CalculatorSimulatorReport& rep) { ++rep.unexpectedBytes; });
        problem("unexpected byte " + hex(b) + " after the stream");
    }
}
