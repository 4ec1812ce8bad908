#pragma once

#include <cstdint>
#include <optional>

#include "acquisition/AcquisitionHost.h"
#include "acquisition/DeviceType.h"
#include "acquisition/ExchangeOutcome.h"
#include "acquisition/FormAssembler.h"
#include "acquisition/LineWaiter.h"
#include "acquisition/ReceiveControl.h"

// The exchange after the link is up: the start question, the reading passes with their
// closing reports, and the end. The port stays with the caller, who closes it after run().
class ReceptionLoop {
public:
    ReceptionLoop(ReceiveControl& rc, AcquisitionHost& host, LineWaiter& line,
                  const DeviceTypeInfo& type)
        : m_rc(rc),
          m_host(host),
          m_line(line),
          m_type(type),
          m_forms(host, host.formLimit() > 0 ? host.formLimit() : FormAssembler::kMaxFormBytes) {
        m_line.setGathering(!type.echo);
    }

    // Returns how the exchange ended; the flags are final when it returns.
    ExchangeOutcome run();

private:
    // A pass that breaks the link ends with the way it broke.
    enum class PassEnd { Ordinary, EchoTooLate, LineBroken };

    PassEnd readPass();
    PassEnd takeArrived();
    // Sends the echo of `byte`; when a stop cuts the wait short the byte stays pending.
    LineWaiter::Outcome echo(std::uint8_t byte);
    static PassEnd echoFailure(LineWaiter::Outcome sent);
    bool askToContinue();
    void endAborted();
    ExchangeOutcome endLinkBroken(PassEnd end);
    ExchangeOutcome finish();

    ReceiveControl& m_rc;
    AcquisitionHost& m_host;
    LineWaiter& m_line;
    const DeviceTypeInfo& m_type;
    FormAssembler m_forms;
    std::optional<std::uint8_t> m_pendingEcho;
    bool m_received = false;  // some pass stored a character or ended a form
};
