#include "modem/HayesDialer.h"

#include <algorithm>

#include "platform/Clock.h"
#include "platform/SerialPort.h"

HayesDialer::HayesDialer(SerialPort& port, Clock& clock, DialPlan plan)
    : m_port(port), m_clock(clock), m_plan(std::move(plan)), m_line(port, clock) {}

HayesDialer::~HayesDialer() {
    if (m_offHook) hangUp();
}

DialOutcome HayesDialer::dial(const std::atomic<int>& stop, WakeSignal* wake) {
    m_stop = &stop;
    m_wake = wake;
    heedStop(true);
    Step step = wakeModem();
    if (!step) step = configure();
    const DialOutcome outcome = step ? *step : call();
    heedStop(false);
    if (outcome != DialOutcome::Connected) hangUp();
    return outcome;
}

void HayesDialer::hangUp() {
    heedStop(false);
    if (m_online) escapeToCommands();
    m_line.discardInput();
    if (m_line.send("ATH")) m_line.await(m_plan.commandTimeout, false);
    dropDtr();
    m_online = false;
    m_offHook = false;
}

void HayesDialer::heedStop(bool on) {
    m_line.setStop(on ? m_stop : nullptr, m_wake);
}

ModemLine::Answer HayesDialer::command(const std::string& text) {
    if (!m_line.send(text)) return {ModemLine::Wait::Lost, ModemResult::None, {}};
    return m_line.await(m_plan.commandTimeout, true);
}

// A modem left passing data by the last program does not answer AT: it gets the whole hang-up
// and a reset, and one more try. One left off-hook taking commands answers, but would refuse
// the dial: ATH puts it on-hook.
HayesDialer::Step HayesDialer::wakeModem() {
    m_line.discardInput();
    ModemLine::Answer answer = command("AT");
    if (answer.result == ModemResult::Ok) answer = command("ATH");
    if (answer.result == ModemResult::Ok) return std::nullopt;
    if (answer.wait == ModemLine::Wait::Stopped) return DialOutcome::Stopped;
    m_online = true;
    hangUp();
    heedStop(true);
    if (command("ATZ").wait == ModemLine::Wait::Stopped) return DialOutcome::Stopped;
    answer = command("AT");
    if (answer.result == ModemResult::Ok) return std::nullopt;
    return answer.wait == ModemLine::Wait::Stopped ? DialOutcome::Stopped
                                                   : DialOutcome::ModemSilent;
}

HayesDialer::Step HayesDialer::configure() {
    ModemLine::Answer answer = command(m_plan.init);
    if (answer.result != ModemResult::Ok) return failureOf(answer, DialOutcome::Error);
    if (m_plan.bearer.empty()) return std::nullopt;
    answer = command(m_plan.bearer);
    if (answer.result != ModemResult::Ok) return failureOf(answer, DialOutcome::BearerRefused);
    return std::nullopt;
}

DialOutcome HayesDialer::call() {
    m_offHook = true;
    if (!m_line.send("ATD" + m_plan.phone)) return DialOutcome::ModemSilent;
    const std::int64_t deadline =
        m_clock.nowMs() + std::chrono::milliseconds(m_plan.dialTimeout).count();
    ModemLine::Answer answer;
    do {  // a RING of a call coming in meanwhile is no answer to ours
        const std::int64_t left = std::max<std::int64_t>(deadline - m_clock.nowMs(), 0);
        answer = m_line.await(std::chrono::milliseconds(left), true);
    } while (answer.result == ModemResult::Ring);
    if (answer.result == ModemResult::Connect) {
        m_online = true;
        m_connectText = answer.text;
        return DialOutcome::Connected;
    }
    if (answer.wait == ModemLine::Wait::Stopped || answer.wait == ModemLine::Wait::Timeout)
        breakOffDial();
    if (answer.wait == ModemLine::Wait::Stopped) return DialOutcome::Stopped;
    if (answer.wait == ModemLine::Wait::Timeout) return DialOutcome::DialTimeout;
    return answer.wait == ModemLine::Wait::Lost ? DialOutcome::ModemSilent
                                                : callFailureOf(answer.result);
}

DialOutcome HayesDialer::failureOf(const ModemLine::Answer& answer, DialOutcome onRefusal) {
    switch (answer.wait) {
        case ModemLine::Wait::Stopped:
            return DialOutcome::Stopped;
        case ModemLine::Wait::Answered:
            return onRefusal;
        default:
            return DialOutcome::ModemSilent;
    }
}

DialOutcome HayesDialer::callFailureOf(ModemResult result) {
    switch (result) {
        case ModemResult::Busy:
            return DialOutcome::Busy;
        case ModemResult::NoAnswer:
            return DialOutcome::NoAnswer;
        case ModemResult::NoDialtone:
            return DialOutcome::NoDialtone;
        case ModemResult::Error:
            return DialOutcome::Error;
        default:  // NO CARRIER, and an OK that some modems give to a call no modem took
            return DialOutcome::NoCarrier;
    }
}

// Any character breaks off a dial in progress. The answer is waited for, as the call may have
// come up just before: then the modem is passing data and needs the escape.
void HayesDialer::breakOffDial() {
    heedStop(false);
    if (!m_line.sendRaw("\r")) return;
    if (m_line.await(m_plan.commandTimeout, false).result == ModemResult::Connect) m_online = true;
}

void HayesDialer::escapeToCommands() {
    m_clock.pause(m_plan.guardTime, nullptr);
    if (!m_line.sendRaw("+++")) return;
    m_clock.pause(m_plan.guardTime, nullptr);
    m_line.await(m_plan.commandTimeout, false);
}

// Where the line has no modem lines the modem does not see this, and ATH alone hangs up.
void HayesDialer::dropDtr() {
    if (!m_port.setDtr(false)) return;
    m_clock.pause(m_plan.dtrLow, nullptr);
    m_port.setDtr(true);
}
