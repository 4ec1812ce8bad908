#include "tools/CalculatorSimulator.h"

#include <cstring>

#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"
#include "tools/SimulatorSession.h"

using namespace std::chrono_literals;

CalculatorSimulator::CalculatorSimulator(CalculatorSimulatorOptions options)
    : options_(std::move(options)) {}

CalculatorSimulator::~CalculatorSimulator() {
    stop();
    if (thread_.joinable()) thread_.join();
}

bool CalculatorSimulator::start() {
    if (thread_.joinable()) return true;
    if (options_.deviceType < 0 || options_.deviceType > 5) {
        error_ = "calculator type must be 0..5";
        return false;
    }
    if (options_.device.empty()) {
        int err = 0;
        pty_ = PseudoTerminal::create(&err);
        if (!pty_) {
            error_ = std::string("cannot create a pseudo-terminal: ") + std::strerror(err);
            return false;
        }
        slavePath_ = pty_->slavePath();
    } else {
        SerialOpenResult opened = openSerialPort(options_.device, options_.rate);
        if (!opened.port) {
            error_ = "cannot open " + options_.device + ": " + std::strerror(opened.error);
            return false;
        }
        device_ = std::move(opened.port);
        slavePath_ = options_.device;
    }
    {
        std::lock_guard lock(mutex_);
        finished_ = false;
    }
    stop_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

std::string CalculatorSimulator::error() const {
    return error_;
}
std::string CalculatorSimulator::slavePath() const {
    return slavePath_;
}
void CalculatorSimulator::stop() {
    stop_ = true;
}

bool CalculatorSimulator::waitFinished(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!finishedChanged_.wait_for(lock, timeout, [this] { return finished_; })) return false;
    lock.unlock();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
    return true;
}

bool CalculatorSimulator::finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

CalculatorSimulatorReport CalculatorSimulator::report() const {
    std::lock_guard lock(mutex_);
    return report_;
}

int CalculatorSimulator::lineRate() const {
    std::lock_guard lock(mutex_);
    return pty_ ? pty_->lineRate() : 0;
}

SerialPort& CalculatorSimulator::line() {
    return pty_ ? pty_->line() : *device_;
}

// A pseudo-terminal shows no event when a program opens its far end, so look every few
// milliseconds; this wait is the simulator's, never the worker's.
bool CalculatorSimulator::waitPeerOpen() {
    while (!stop_) {
        if (pty_->peerOpen()) return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

void CalculatorSimulator::setFinished() {
    std::lock_guard lock(mutex_);
    finished_ = true;
    finishedChanged_.notify_all();
}

void CalculatorSimulator::run() {
    SimulatorSession session(line(), options_, stop_, [this](const auto& change) {
        std::lock_guard lock(mutex_);
        change(report_);
    });
    using Outcome = SimulatorSession::Outcome;
    const bool handshake = options_.deviceType != 4;
    bool handshakeTaken = false;
    for (int served = 0; options_.exchanges == 0 || served < options_.exchanges; ++served) {
        // Flushed while nobody holds the far end: once a program has opened it, the kernel may
        // still be moving the old bytes towards it.
        if (pty_ && served > 0 && !handshakeTaken) pty_->discardUnread();
        if (pty_ && !handshakeTaken && !waitPeerOpen()) break;
        {
            std::lock_guard lock(mutex_);
            ++report_.exchanges;
        }
        const Outcome o = session.serveExchange(handshakeTaken);
        handshakeTaken = false;
        if (o == Outcome::Stopped) break;
        if (o == Outcome::Vanish) {
            std::lock_guard lock(mutex_);
            report_.vanished = true;
            break;
        }
        if (o == Outcome::PeerGone) {
            if (pty_) continue;
            break;  // a device that hangs up does not come back
        }
        // The next exchange on a device starts with its handshake byte; on a pseudo-terminal
        // with the next opening, after this one has let go of the line.
        if (!pty_ && handshake) continue;
        const bool more = options_.exchanges == 0 || served + 1 < options_.exchanges;
        const Outcome silence = session.fallSilent(more);
        if (silence == Outcome::NextExchange) {
            handshakeTaken = true;
            continue;
        }
        if (silence == Outcome::Stopped || !pty_) break;
    }
    // Closing the line here, not in the destructor, is what makes a vanished device vanish.
    {
        std::lock_guard lock(mutex_);  // lineRate() may be reading it
        pty_.reset();
    }
    device_.reset();
    setFinished();
}
