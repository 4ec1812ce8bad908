#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "modem/DialOutcome.h"
#include "modem/DialPlan.h"
#include "modem/ModemLine.h"

class Clock;
class SerialPort;
class WakeSignal;

// Places a data call through a Hayes modem on an open line, and ends it. After Connected the
// line carries the call until hangUp(); on every other outcome the modem is on-hook already,
// and the destructor hangs up a call still up, so no way out leaves the modem off-hook.
//
//   HayesDialer dialer(port, clock, plan);
//   if (dialer.dial(rc.m_bStop, &rc.m_wake) == DialOutcome::Connected) {
//       ... the exchange over `port`, starting with dialer.takeCallBytes() ...
//   }
//   dialer.hangUp();
class HayesDialer {
public:
    HayesDialer(SerialPort& port, Clock& clock, DialPlan plan);
    ~HayesDialer();
    HayesDialer(const HayesDialer&) = delete;
    HayesDialer& operator=(const HayesDialer&) = delete;

    // Wakes the modem, configures it and dials. `stop` set (with `wake` raised, may be null)
    // ends any wait at once and hangs up.
    DialOutcome dial(const std::atomic<int>& stop, WakeSignal* wake);
    // The guard time, "+++", the guard time and OK while a call may be up; then ATH and a DTR
    // drop where the line has modem lines. Heeds no stop: a hang-up is always carried out.
    void hangUp();

    // The CONNECT line of the call, e.g. "CONNECT 9600/RLP".
    const std::string& connectText() const { return m_connectText; }
    // Bytes of the far end that came with CONNECT; the call's first.
    std::string takeCallBytes() { return m_line.takeCallBytes(); }

private:
    using Step = std::optional<DialOutcome>;  // none: go on to the next step

    void heedStop(bool on);
    ModemLine::Answer command(const std::string& text);
    Step wakeModem();
    Step configure();
    DialOutcome call();
    static DialOutcome failureOf(const ModemLine::Answer& answer, DialOutcome onRefusal);
    static DialOutcome callFailureOf(ModemResult result);
    void breakOffDial();
    void escapeToCommands();
    void dropDtr();

    SerialPort& m_port;
    Clock& m_clock;
    DialPlan m_plan;
    ModemLine m_line;
    const std::atomic<int>* m_stop = nullptr;
    WakeSignal* m_wake = nullptr;
    std::string m_connectText;
    bool m_offHook = false;  // a call may be up or on its way
    bool m_online = false;   // the modem may be passing our bytes to the far end
};
