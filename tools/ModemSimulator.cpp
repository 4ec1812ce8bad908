#include "tools/ModemSimulator.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <utility>

#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"
#include "tools/ModemBridge.h"

using namespace std::chrono_literals;

namespace {

// The longest block in the line: the wake signal ends it at once, this only bounds the wait.
constexpr std::chrono::milliseconds kIdleWait{1000};
constexpr std::int64_t kNever = INT64_MAX;

HayesInterpreter::Code codeOf(ModemCallScript::Answer answer) {
    using Answer = ModemCallScript::Answer;
    switch (answer) {
        case Answer::Busy:
            return HayesInterpreter::Code::Busy;
        case Answer::NoAnswer:
            return HayesInterpreter::Code::NoAnswer;
        case Answer::NoDialtone:
            return HayesInterpreter::Code::NoDialtone;
        default:
            return HayesInterpreter::Code::NoCarrier;
    }
}

// A modem looks for "AT" in what it took and forgets what came before (a stray "+++").
std::string::size_type attentionAt(const std::string& line) {
    for (std::string::size_type i = 0; i + 1 < line.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(line[i])) == 'A' &&
            std::toupper(static_cast<unsigned char>(line[i + 1])) == 'T')
            return i;
    return std::string::npos;
}

std::string withoutLineEnds(const std::string& text) {
    const auto first = text.find_first_not_of("\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of("\r\n") - first + 1);
}

}  // namespace

ModemSimulator::ModemSimulator(ModemSimulatorOptions options)
    : m_options(std::move(options)),
      m_interpreter(m_options.bearers, static_cast<int>(m_options.guardTime.count())) {}

ModemSimulator::~ModemSimulator() {
    stop();
    if (m_thread.joinable()) m_thread.join();
}

bool ModemSimulator::start() {
    if (m_thread.joinable()) return true;
    int err = 0;
    m_pty = PseudoTerminal::create(&err);
    if (!m_pty) {
        m_error = std::string("cannot create a pseudo-terminal: ") + std::strerror(err);
        return false;
    }
    m_slavePath = m_pty->slavePath();
    m_thread = std::thread([this] { run(); });
    return true;
}

std::string ModemSimulator::error() const {
    return m_error;
}
std::string ModemSimulator::slavePath() const {
    return m_slavePath;
}

void ModemSimulator::stop() {
    m_stop = true;
    m_wake.raise();
}

void ModemSimulator::setDtr(bool raised) {
    if (!raised && m_dtr.exchange(false)) ++m_dtrDrops;
    if (raised) m_dtr = true;
    m_wake.raise();
}

bool ModemSimulator::waitOnHook(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_hookChanged.wait_for(lock, timeout, [this] { return !m_offHook; });
}

std::vector<ModemEvent> ModemSimulator::events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

void ModemSimulator::run() {
    std::array<std::uint8_t, 512> buffer{};
    m_pty->line().setWake(&m_wake);
    bool lineOpen = false;
    while (!m_stop) {
        if (!m_pty->peerOpen()) {
            if (lineOpen) log("line closed");
            lineOpen = false;
            if (!waitLineOpen()) break;
        }
        lineOpen = true;
        const SerialPort::Result r = m_pty->line().read(buffer, nextWait());
        m_wake.clear();  // before the flags are read: a raise after this ends the next wait
        noteDtr();
        if (r.status == SerialPort::Status::Ok) takeBytes({buffer.data(), r.count});
        noteTimers();
    }
    m_bridge.reset();
    m_pty->line().setWake(nullptr);
}

// A pseudo-terminal shows no event when a program opens its far end, so look every few
// milliseconds; meanwhile a dial still comes to its answer and DTR is still seen.
bool ModemSimulator::waitLineOpen() {
    while (!m_stop) {
        if (m_pty->peerOpen()) return true;
        m_wake.clear();
        noteDtr();
        noteTimers();
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

std::chrono::milliseconds ModemSimulator::nextWait() {
    std::int64_t wait = kIdleWait.count();
    if (m_state == State::Dialling) wait = std::min(wait, m_answerAtMs - nowMs());
    if (m_state == State::Online)
        wait = std::min(wait, m_escape.msUntilDecision(nowMs()).value_or(wait));
    return std::chrono::milliseconds(std::max<std::int64_t>(wait, 0));
}

void ModemSimulator::takeBytes(std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (m_state == State::Online) {
            for (std::uint8_t b : bytes.subspan(i)) m_escape.byte(b, nowMs());
            if (m_bridge) m_bridge->toPeer(bytes.subspan(i));
            return;
        }
        if (m_state == State::Dialling) {
            hangUp("dial broken off", true);  // by any character, as on a real modem
            continue;
        }
        commandByte(bytes[i]);
    }
}

void ModemSimulator::commandByte(std::uint8_t b) {
    if (m_interpreter.echo() && !m_options.deaf) send(std::string(1, static_cast<char>(b)));
    if (b == '\r') {
        const std::string line = std::exchange(m_lineIn, {});
        const auto at = attentionAt(line);
        if (at != std::string::npos) execute(line.substr(at));
    } else if (b == '\b') {
        if (!m_lineIn.empty()) m_lineIn.pop_back();
    } else if (b != '\n') {
        m_lineIn += static_cast<char>(b);
    }
}

void ModemSimulator::execute(const std::string& line) {
    log(line);
    if (m_options.deaf) return;
    const HayesInterpreter::Reply reply = m_interpreter.execute(line);
    if (reply.hangUp && m_offHook) hangUp(line, false);
    if (reply.dial && m_offHook)
        return send(m_interpreter.resultText(HayesInterpreter::Code::Error));
    if (reply.dial) return startDial(*reply.dial);
    if (reply.online && m_offHook) {
        m_state = State::Online;
        m_escape.restart(nowMs(), m_interpreter.guardMs());
        if (m_bridge) m_bridge->setForwarding(true);
        return send(
            m_interpreter.resultText(HayesInterpreter::Code::Connect, m_dialled.connectText));
    }
    const auto code = reply.online ? HayesInterpreter::Code::NoCarrier : reply.code;
    if (code) send(m_interpreter.resultText(*code));
}

void ModemSimulator::startDial(const std::string& number) {
    const auto found = m_options.numbers.find(number);
    m_dialled = found != m_options.numbers.end() ? found->second : m_options.otherNumbers;
    m_state = State::Dialling;
    const bool silent = m_dialled.answer == ModemCallScript::Answer::Silent;
    m_answerAtMs = silent ? kNever : nowMs() + m_dialled.delay.count();
    std::lock_guard lock(m_mutex);
    m_offHook = true;
}

void ModemSimulator::answerDial() {
    if (m_dialled.answer == ModemCallScript::Answer::Connect) return connect();
    hangUp("no call", false);
    send(m_interpreter.resultText(codeOf(m_dialled.answer)));
}

void ModemSimulator::connect() {
    if (!m_dialled.peer.empty()) {
        std::string error;
        m_bridge = ModemBridge::open(m_dialled.peer, m_dialled.peerRate, m_pty->line(), m_lineMutex,
                                     m_wake, error);
        if (!m_bridge) {
            log(error);
            return hangUp("far end missing", true);
        }
    }
    m_state = State::Online;
    m_escape.restart(nowMs(), m_interpreter.guardMs());
    send(m_interpreter.resultText(HayesInterpreter::Code::Connect, m_dialled.connectText));
}

void ModemSimulator::noteTimers() {
    if (m_state == State::Dialling && nowMs() >= m_answerAtMs) answerDial();
    if (m_state == State::Online && m_escape.escaped(nowMs())) {
        log("+++");
        m_state = State::Command;
        if (m_bridge) m_bridge->setForwarding(false);
        send(m_interpreter.resultText(HayesInterpreter::Code::Ok));
    }
    if (m_bridge && m_bridge->peerGone()) hangUp("far end hung up", true);
}

// Every drop counts, also one raised again before this thread looked.
void ModemSimulator::noteDtr() {
    if (m_dtrDrops.exchange(0) == 0) return;
    log("DTR drop");
    if (m_interpreter.dtrMode() == 2 && m_offHook) return hangUp("DTR", false);
    if (m_interpreter.dtrMode() == 1 && m_state == State::Online) {
        m_state = State::Command;
        if (m_bridge) m_bridge->setForwarding(false);
        send(m_interpreter.resultText(HayesInterpreter::Code::Ok));
    }
}

void ModemSimulator::hangUp(const std::string& why, bool tellNoCarrier) {
    m_bridge.reset();
    m_state = State::Command;
    {
        std::lock_guard lock(m_mutex);
        m_offHook = false;
        m_hookChanged.notify_all();
    }
    log("on-hook: " + why);
    if (tellNoCarrier) send(m_interpreter.resultText(HayesInterpreter::Code::NoCarrier));
}

void ModemSimulator::send(const std::string& text) {
    if (text.size() > 1) log("-> " + withoutLineEnds(text));  // one character is an echo
    std::lock_guard lock(m_lineMutex);
    std::span<const std::uint8_t> rest(reinterpret_cast<const std::uint8_t*>(text.data()),
                                       text.size());
    while (!rest.empty()) {
        const SerialPort::Result r = m_pty->line().write(rest, 1s);
        if (r.status != SerialPort::Status::Ok) return;
        rest = rest.subspan(r.count);
    }
}

void ModemSimulator::log(std::string text) {
    std::lock_guard lock(m_mutex);
    m_events.push_back({nowMs(), std::move(text)});
}

std::int64_t ModemSimulator::nowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now() - m_start).count();
}
