#include "tools/CalculatorSimulator.h"

#include <cstring>

#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"
#include "tools/SimulatorSession.h"

using namespace std::chrono_literals;

CalculatorSimulator::CalculatorSimulator(CalculatorSimulatorOptions options)
    : m_options(std::move(options)) {}

CalculatorSimulator::~CalculatorSimulator() {
    stop();
    if (m_thread.joinable()) m_thread.join();
}

bool CalculatorSimulator::start() {
    if (m_thread.joinable()) return true;
    if (m_options.deviceType < 0 || m_options.deviceType > 5) {
        m_error = "calculator type must be 0..5";
        return false;
    }
    if (m_options.device.empty()) {
        int err = 0;
        m_pty = PseudoTerminal::create(&err);
        if (!m_pty) {
            m_error = std::string("cannot create a pseudo-terminal: ") + std::strerror(err);
            return false;
        }
        m_slavePath = m_pty->slavePath();
    } else {
        SerialOpenResult opened = openSerialPort(m_options.device, m_options.rate);
        if (!opened.port) {
            m_error = "cannot open " + m_options.device + ": " + std::strerror(opened.error);
            return false;
        }
        m_device = std::move(opened.port);
        m_slavePath = m_options.device;
    }
    {
        std::lock_guard lock(m_mutex);
        m_finished = false;
    }
    m_stop = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

std::string CalculatorSimulator::error() const {
    return m_error;
}
std::string CalculatorSimulator::slavePath() const {
    return m_slavePath;
}
void CalculatorSimulator::stop() {
    m_stop = true;
}

bool CalculatorSimulator::waitFinished(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_finishedChanged.wait_for(lock, timeout, [this] { return m_finished; })) return false;
    lock.unlock();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
    return true;
}

bool CalculatorSimulator::finished() const {
    std::lock_guard lock(m_mutex);
    return m_finished;
}

CalculatorSimulatorReport CalculatorSimulator::report() const {
    std::lock_guard lock(m_mutex);
    return m_report;
}

int CalculatorSimulator::lineRate() const {
    std::lock_guard lock(m_mutex);
    return m_pty ? m_pty->lineRate() : 0;
}

SerialPort& CalculatorSimulator::line() {
    return m_pty ? m_pty->line() : *m_device;
}

// A pseudo-terminal shows no event when a program opens its far end, so look every few
// milliseconds; this wait is the simulator's, never the worker's.
bool CalculatorSimulator::waitPeerOpen() {
    while (!m_stop) {
        if (m_pty->peerOpen()) return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

void CalculatorSimulator::setFinished() {
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_finishedChanged.notify_all();
}

void CalculatorSimulator::run() {
    SimulatorSession session(line(), m_options, m_stop, [this](const auto& change) {
        std::lock_guard lock(m_mutex);
        change(m_report);
    });
    using Outcome = SimulatorSession::Outcome;
    const bool handshake = m_options.deviceType != 4;
    bool handshakeTaken = false;
    for (int served = 0; m_options.exchanges == 0 || served < m_options.exchanges; ++served) {
        // Flushed while nobody holds the far end: once a program has opened it, the kernel may
        // still be moving the old bytes towards it.
        if (m_pty && served > 0 && !handshakeTaken) m_pty->discardUnread();
        if (m_pty && !handshakeTaken && !waitPeerOpen()) break;
        countExchange();
        const Outcome o = session.serveExchange(handshakeTaken);
        handshakeTaken = false;
        if (o == Outcome::Stopped) break;
        if (o == Outcome::Vanish) {
            setVanished();
            break;
        }
        if (o == Outcome::PeerGone) {
            if (m_pty) continue;
            break;  // a device that hangs up does not come back
        }
        // The next exchange on a device starts with its handshake byte; on a pseudo-terminal
        // with the next opening, after this one has let go of the line.
        if (!m_pty && handshake) continue;
        const bool more = m_options.exchanges == 0 || served + 1 < m_options.exchanges;
        const Outcome silence = session.fallSilent(more);
        if (silence == Outcome::NextExchange) {
            handshakeTaken = true;
            continue;
        }
        if (silence == Outcome::Stopped || !m_pty) break;
    }
    closeLine();
    setFinished();
}

void CalculatorSimulator::countExchange() {
    std::lock_guard lock(m_mutex);
    ++m_report.exchanges;
}

void CalculatorSimulator::setVanished() {
    std::lock_guard lock(m_mutex);
    m_report.vanished = true;
}

// Closing the line when the exchanges end, not in the destructor, is what makes a vanished
// device vanish.
void CalculatorSimulator::closeLine() {
    {
        std::lock_guard lock(m_mutex);  // lineRate() may be reading it
        m_pty.reset();
    }
    m_device.reset();
}
