#pragma once

#include <cstdint>
#include <optional>

#include "acquisition/AcquisitionHost.h"
#include "acquisition/DeviceType.h"
#include "acquisition/FormAssembler.h"
#include "acquisition/LineWaiter.h"
#include "acquisition/ReceiveControl.h"

// The exchange after the link is up: the start question, the reading passes with their
// closing reports, and the end. The port stays with the caller, who closes it after run().
class ReceptionLoop {
public:
    static constexpr unsigned kExitOk = 0;
    static constexpr unsigned kExitSettingsNotWritten = 0xFFFFFFFFu;

    ReceptionLoop(ReceiveControl& rc, AcquisitionHost& host, LineWaiter& line,
                  const DeviceTypeInfo& type)
        : m_rc(rc), m_host(host), m_line(line), m_type(type), m_forms(host) {}

    // Returns the thread's exit code; the flags are final when it returns.
    unsigned run();

private:
    enum class PassEnd { Ordinary, LinkBroken };

    PassEnd readPass();
    bool takeArrived();
    // Sends the echo of `byte`; when a stop cuts the wait short the byte stays pending.
    LineWaiter::Outcome echo(std::uint8_t byte);
    bool askToContinue();
    void endAborted();
    void endLinkBroken();
    unsigned finish();

    ReceiveControl& m_rc;
    AcquisitionHost& m_host;
    LineWaiter& m_line;
    const DeviceTypeInfo& m_type;
    FormAssembler m_forms;
    std::optional<std::uint8_t> m_pendingEcho;
};
