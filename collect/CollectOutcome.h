#pragma once

#include <QString>

#include "acquisition/ExchangeOutcome.h"

// How a collection ended; each outcome is the program's exit status. When several came
// together, ArchiveFailed outranks all, then the failures of the line (OpenFailed..LineBroken),
// then Interrupted, then SettingsFailed.
enum class CollectOutcome : int {
    Forms = 0,           // forms were received and all of them are in the archive
    Nothing = 1,         // the calculator sent nothing
    Usage = 2,           // the command line makes no sense
    OpenFailed = 3,      // the port could not be opened or configured
    NoLink = 4,          // the handshake got no (complete) reply
    BadReply = 5,        // the handshake reply was wrong
    EchoFailed = 6,      // an echo could not be sent in time
    LineBroken = 7,      // the device vanished or the line failed
    SettingsFailed = 8,  // the configuration file could not be written
    Interrupted = 9,     // ended by SIGINT or SIGTERM
    ArchiveFailed = 10,  // forms were received but not all of them could be archived
};

struct CollectOutcomeInfo {
    CollectOutcome outcome;
    const char* key;         // for the report: "forms", "nothing", ...
    const QString& meaning;  // Russian, for --help and the manual
};

// Every outcome in the order of its code.
const CollectOutcomeInfo* collectOutcomes(int* count);
const CollectOutcomeInfo& collectOutcomeOf(CollectOutcome outcome);

// The collection's end from the worker's: `interrupted` when a stop signal came, which outranks
// only the ends that are no failure of the line.
CollectOutcome collectOutcomeOf(ExchangeOutcome exchange, bool interrupted);
