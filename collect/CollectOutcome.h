#pragma once

#include <QString>

#include "acquisition/ExchangeOutcome.h"
#include "archive/RecordOutcome.h"

// How a collection ended; each outcome is the program's exit status, the same as the exchange
// record's outcome except for the two only the collector meets. When several came
// together, ArchiveIncomplete outranks all, then the failures of the line (OpenFailed..LineBroken,
// then the dial's), then Interrupted, then SettingsNotWritten.
enum class CollectOutcome : int {
    FormsReceived = recordOutcomeExitCode(RecordOutcome::FormsReceived),
    NothingReceived = recordOutcomeExitCode(RecordOutcome::NothingReceived),
    Usage = 2,  // the command line makes no sense
    OpenFailed = recordOutcomeExitCode(RecordOutcome::OpenFailed),
    NoHandshake = recordOutcomeExitCode(RecordOutcome::NoHandshake),
    BadReply = recordOutcomeExitCode(RecordOutcome::BadReply),
    EchoTooLate = recordOutcomeExitCode(RecordOutcome::EchoTooLate),
    LineBroken = recordOutcomeExitCode(RecordOutcome::LineBroken),
    SettingsNotWritten = 8,  // the configuration file could not be written
    Interrupted = recordOutcomeExitCode(RecordOutcome::StoppedByOperator),
    ArchiveIncomplete = recordOutcomeExitCode(RecordOutcome::ArchiveIncomplete),
    // --all only: some sites failed, the others brought forms or had nothing to send.
    SomeSitesFailed = 11,
    // A dial-up site's call did not come about.
    DialBusy = recordOutcomeExitCode(RecordOutcome::DialBusy),
    DialNoAnswer = recordOutcomeExitCode(RecordOutcome::DialNoAnswer),
    DialNoCarrier = recordOutcomeExitCode(RecordOutcome::DialNoCarrier),
    DialNoDialtone = recordOutcomeExitCode(RecordOutcome::DialNoDialtone),
    DialError = recordOutcomeExitCode(RecordOutcome::DialError),
    DialBearerRefused = recordOutcomeExitCode(RecordOutcome::DialBearerRefused),
    ModemSilent = recordOutcomeExitCode(RecordOutcome::ModemSilent),
    DialTimeout = recordOutcomeExitCode(RecordOutcome::DialTimeout),
    // --upload only: the common archive did not take the whole backlog.
    UploadIncomplete = 20,
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
// The exit status of a record's outcome.
CollectOutcome collectOutcomeOf(RecordOutcome outcome);
// The dial's end behind a collection's failed call; none for any other end.
std::optional<DialOutcome> dialOutcomeOf(CollectOutcome outcome);
