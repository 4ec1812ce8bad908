#pragma once

#include <QString>

// How a dial ended. Every value but Connected leaves the modem on-hook.
enum class DialOutcome {
    Connected,      // CONNECT came: the call is up
    Busy,           // BUSY
    NoAnswer,       // NO ANSWER
    NoCarrier,      // NO CARRIER: no modem answered, or the bearer does not match the far end's
    NoDialtone,     // NO DIALTONE: no network
    Error,          // ERROR to the init or the dial
    BearerRefused,  // ERROR to the bearer command: the modem cannot make such a call
    ModemSilent,    // no OK to AT, even after a hang-up and a reset; or the line is gone
    DialTimeout,    // no result within the dial time-out
    Stopped,        // the operator stopped it: nothing to show
};

// Whether another try later may go otherwise: the far end or the network was busy or slow.
bool worthAnotherTry(DialOutcome outcome);

// What the operator reads about it; empty for Connected and Stopped. `dialTimeoutS` is the
// time-out the plan gave.
QString dialOutcomeText(DialOutcome outcome, int dialTimeoutS);
