#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/NetworkAddress.h"
#include "platform/SerialPort.h"

class WakeSignal;

// Ends the opening of a network server early: when `flag` is set and `wake` raised, the
// opening fails with ECANCELED. `lineWait`, when set, hears true once the line turns out to be
// held by another exchange and the opening waits for it, and false when that wait ends, so
// that the operator is not left looking at a still window.
struct OpenCancel {
    const WakeSignal* wake = nullptr;
    const std::atomic<int>* flag = nullptr;
    std::function<void(bool waiting)> lineWait = {};
    bool requested() const { return flag && flag->load() != 0; }
};

// Opening failures of a network server that have no errno: the host name is not known, the
// address is malformed, the protocol has no implementation on this system (RFC 2217 on Windows).
inline constexpr int kErrorUnknownHost = -2;
inline constexpr int kErrorBadAddress = -3;
inline constexpr int kErrorProtocolUnavailable = -4;

// A host's addresses written as numbers ("192.0.2.7", "::1") in the order to try them, or why
// there are none: kErrorUnknownHost or an errno value.
struct HostAddresses {
    std::vector<std::string> numeric;
    int error = 0;
};
// Looks a host name up and may block for as long as the name servers take.
using HostResolver = std::function<HostAddresses(const std::string& host)>;
// The system's resolver (getaddrinfo).
HostAddresses resolveHostName(const std::string& host);

// How long opening a network server may take, and how soon a server that accepted the
// connection may drop it for the opening still to count as failed.
struct NetworkLinkLimits {
    // Looking the host up; then connecting, and for RFC 2217 the Telnet negotiation and each
    // line setting.
    std::chrono::milliseconds connect{10000};
    // A server whose own serial port is missing or busy accepts and hangs up at once; a hang-up
    // this soon after connecting is an opening failure, later it is the vanished line.
    std::chrono::milliseconds settle{300};
    // Who looks the host up: resolveHostName when empty. A lookup runs on a thread of its own,
    // so that a cancel ends the wait for it at once.
    HostResolver resolve;
};

// Connects to a serial device server. Raw mode takes the line as the server has it; RFC 2217
// sets `rate` bit/s, 8 data bits, no parity, one stop bit, and raises DTR and RTS. Failures:
// Stage::Open with ECONNREFUSED, ETIMEDOUT, EHOSTUNREACH, ECONNRESET (the server hung up at
// once), EPROTONOSUPPORT (no COM port option at an RFC 2217 address), ECANCELED (`cancel`,
// heeded in the name lookup, the connect and the negotiation alike), kErrorUnknownHost or
// kErrorBadAddress; Stage::SetState with the error of a setting the server refused.
SerialOpenResult openNetworkSerialPort(const NetworkAddress& address, int rate,
                                       const NetworkLinkLimits& limits = {},
                                       const OpenCancel& cancel = {});
