#pragma once

#include <QString>
#include <optional>

#include "modem/DialOutcome.h"

// How an exchange ended, as the worker met it. The worker says only this; each front end
// decides from it what the operator sees and, without windows, the exit status. The failures
// among them are also the kinds of failure the worker reports while it ends.
enum class ExchangeOutcome {
    FormsReceived,       // the operator declined another pass, the settings were written
    NothingReceived,     // the same, but no pass brought a character or a form end
    OpenFailed,          // the port did not open or could not be configured
    NoHandshake,         // the handshake byte did not go out, or its reply did not come, in time
    BadReply,            // a complete handshake reply with other bytes
    EchoTooLate,         // the echo of a received byte could not be sent in time
    LineBroken,          // the device vanished or the system gave the line up
    SettingsNotWritten,  // the configuration file could not be written at the end
    StoppedByOperator,   // the receiving window was closed or the program left: nothing shown
    // A dial-up site's call did not come about; the modem is on-hook again (see DialOutcome).
    DialBusy,
    DialNoAnswer,
    DialNoCarrier,
    DialNoDialtone,
    DialError,
    DialBearerRefused,
    ModemSilent,
    DialTimeout,
};

// The exchange's end for a dial that did not connect; none for Connected and Stopped, which
// are no end of their own.
std::optional<ExchangeOutcome> exchangeOutcomeOf(DialOutcome dial);
// The dial's end an exchange ended with; none for an end that is not a dial's.
std::optional<DialOutcome> dialOutcomeOf(ExchangeOutcome kind);

// What the operator reads about a failure of `kind`. `detail` is what only the failing step
// knows: for an opening, its whole message with the cause; for a dial, its text with the
// dial time-out the site gave. Empty for the ends that are no
// failure.
QString failureText(ExchangeOutcome kind, const QString& detail = {});

// The worker thread's exit code: 0, or 0xFFFFFFFF when the settings could not be written.
unsigned threadExitCode(ExchangeOutcome outcome);
