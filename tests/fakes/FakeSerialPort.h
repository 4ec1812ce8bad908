#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/LinkSetup.h"
#include "platform/SerialPort.h"
#include "tests/fakes/FakeClock.h"

// A scripted serial line in fake time. Bytes arrive at given times; a wait for data, or for
// room to write, moves the fake clock to the next scripted event or by the whole timeout. The
// worker gets a port through opener(); the script and the record stay here and outlive it.
// Everything scripted must be set before the worker starts; results are read after it ends.
class FakeSerialPort {
public:
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

    explicit FakeSerialPort(FakeClock& clock);
    ~FakeSerialPort();
    FakeSerialPort(const FakeSerialPort&) = delete;
    FakeSerialPort& operator=(const FakeSerialPort&) = delete;

    SerialOpener opener();
    void failOpen(SerialOpenResult::Stage stage, int error);

    // The calculator's stream: `bytes` become readable at fake time `atMs`.
    void arrive(std::int64_t atMs, const QByteArray& bytes);
    // The calculator answers the first byte written with `reply` after `delayMs`.
    void answerHandshake(const QByteArray& reply, std::int64_t delayMs = 0);
    // Like a real calculator with echo: the next byte of the stream is sent only after the
    // previous one came back. Also checks each echo against the byte it answers.
    void pacedByEcho();
    // Writes attempted in [fromMs, untilMs) wait without moving a byte.
    void holdWrites(std::int64_t fromMs, std::int64_t untilMs = kNever);
    // The write of the n-th byte (0-based, counting every byte written) waits until `untilMs`.
    void holdNthWrite(std::size_t n, std::int64_t untilMs = kNever);
    // The write of the n-th byte goes through `delayMs` after it was first attempted.
    void delayNthWrite(std::size_t n, std::int64_t delayMs);
    // From `atMs` on the device is gone: data that arrived before is still read, then every
    // call reports `status` (Hangup, or Error with `error`).
    void vanishAt(std::int64_t atMs, SerialPort::Status status = SerialPort::Status::Hangup,
                  int error = 0);
    // Runs `action` on the worker's thread when a wait brings the fake clock to `atMs`.
    void at(std::int64_t atMs, std::function<void()> action);
    // Like a real line, every wait also ends at once while the worker's wake signal is raised.
    void setWake(const WakeSignal* wake) { m_wake = wake; }
    // Runs when the worker closes the port.
    void onClose(std::function<void()> action) { m_onClose = std::move(action); }

    // What happened.
    bool opened() const { return m_opened; }
    bool closed() const { return m_closed; }
    std::string openedName() const { return m_openedName; }
    int openedRate() const { return m_openedRate; }
    QByteArray written() const;
    std::size_t streamBytesRead() const { return m_streamPos; }
    bool allRead() const { return m_streamPos == m_stream.size(); }
    std::vector<std::string> echoErrors() const;
    std::int64_t longestTimeoutMs() const { return m_longestTimeout; }
    // Calls in a row that neither moved a byte nor let time pass: a spinning worker.
    int longestIdleRun() const { return m_longestIdleRun; }
    // The worker waited past a day of fake time: a test forgot to stop it.
    bool ranAway() const { return m_ranAway; }
    // Waits that a raised wake signal ended.
    int wakes() const { return m_wakes; }
    // Calls of read(), whatever they brought.
    int reads() const { return m_reads; }
    // Reads made while a byte read earlier still waited for its echo (paced lines only).
    int readsWhileEchoOwed() const { return m_readsWhileEchoOwed; }

    // The port's side, called through the handle that opener() gives out.
    SerialPort::Result read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout);
    SerialPort::Result write(std::span<const std::uint8_t> bytes,
                             std::chrono::milliseconds timeout);
    void close();
    // A pause of the worker's clock: time moves on, scheduled actions run, a wake ends it.
    void pause(std::chrono::milliseconds span, const WakeSignal* wake);

private:
    struct Timed {
        std::int64_t atMs;
        std::uint8_t byte;
    };

    std::size_t readableNow() const;
    bool gone() const { return m_clock.nowMs() >= m_vanishAtMs; }
    bool writeHeld() const;
    std::int64_t nextReadEvent() const;
    std::int64_t nextWriteEvent() const;
    void moveClockTo(std::int64_t ms);
    void noteCall(std::chrono::milliseconds timeout, bool progressed, std::int64_t before);
    void checkEcho(std::uint8_t byte);
    bool woken();
    bool raised(const WakeSignal* wake) const { return wake && wake->isRaised(); }

    FakeClock& m_clock;
    std::optional<SerialOpenResult> m_openFailure;
    std::vector<Timed> m_reply;  // the handshake answer, read before the stream
    std::vector<Timed> m_stream;
    std::size_t m_replyPos = 0, m_streamPos = 0;
    QByteArray m_handshakeReply;
    std::int64_t m_handshakeDelay = -1;
    bool m_paced = false;
    std::vector<std::uint8_t> m_owed;  // stream bytes read and not yet echoed
    std::vector<std::pair<std::int64_t, std::int64_t>> m_heldSpans;
    std::map<std::size_t, std::int64_t> m_heldWrites;
    std::map<std::size_t, std::int64_t> m_delayedWrites;
    std::int64_t m_vanishAtMs = kNever;
    SerialPort::Status m_vanishStatus = SerialPort::Status::Hangup;
    int m_vanishError = 0;
    std::multimap<std::int64_t, std::function<void()>> m_actions;
    std::function<void()> m_onClose;
    const WakeSignal* m_wake = nullptr;
    int m_wakes = 0;

    mutable std::mutex m_recordMutex;
    QByteArray m_written;
    std::vector<std::string> m_echoErrors;
    bool m_opened = false, m_closed = false, m_ranAway = false;
    std::string m_openedName;
    int m_openedRate = 0;
    std::int64_t m_longestTimeout = 0;
    int m_idleRun = 0, m_longestIdleRun = 0;
    int m_readsWhileEchoOwed = 0;
    int m_reads = 0;
};
