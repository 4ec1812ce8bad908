#pragma once

#include <QString>
#include <optional>

#include "acquisition/ExchangeOutcome.h"

// How an exchange ended as the archive keeps it. The one list: the collector's exit status for
// each is taken from here, so that the record and the exit code cannot tell two stories.
enum class RecordOutcome {
    FormsReceived,
    NothingReceived,
    OpenFailed,
    NoHandshake,
    BadReply,
    EchoTooLate,
    LineBroken,
    StoppedByOperator,
    ArchiveIncomplete,
    // A dial-up site's call that did not come about, by the modem's word for it.
    DialBusy,
    DialNoAnswer,
    DialNoCarrier,
    DialNoDialtone,
    DialError,
    DialBearerRefused,
    ModemSilent,
    DialTimeout,
};

struct RecordOutcomeInfo {
    RecordOutcome outcome;
    const char* key;  // in the record's JSON and the collector's report
    int exitCode;     // the collector's exit status
};

// In the order of the enum.
inline constexpr RecordOutcomeInfo kRecordOutcomes[] = {
    {RecordOutcome::FormsReceived, "forms", 0},
    {RecordOutcome::NothingReceived, "nothing", 1},
    {RecordOutcome::OpenFailed, "open", 3},
    {RecordOutcome::NoHandshake, "handshake", 4},
    {RecordOutcome::BadReply, "reply", 5},
    {RecordOutcome::EchoTooLate, "echo", 6},
    {RecordOutcome::LineBroken, "broken", 7},
    {RecordOutcome::StoppedByOperator, "interrupted", 9},
    {RecordOutcome::ArchiveIncomplete, "archive", 10},
    {RecordOutcome::DialBusy, "busy", 12},
    {RecordOutcome::DialNoAnswer, "no-answer", 13},
    {RecordOutcome::DialNoCarrier, "no-carrier", 14},
    {RecordOutcome::DialNoDialtone, "no-dialtone", 15},
    {RecordOutcome::DialError, "modem-error", 16},
    {RecordOutcome::DialBearerRefused, "bearer", 17},
    {RecordOutcome::ModemSilent, "modem-silent", 18},
    {RecordOutcome::DialTimeout, "dial-timeout", 19},
};

constexpr const RecordOutcomeInfo& recordOutcomeInfo(RecordOutcome outcome) {
    return kRecordOutcomes[int(outcome)];
}
constexpr int recordOutcomeExitCode(RecordOutcome outcome) {
    return recordOutcomeInfo(outcome).exitCode;
}
QString recordOutcomeKey(RecordOutcome outcome);
// Short Russian words for the windows ("формы приняты", ...).
QString recordOutcomeText(RecordOutcome outcome);
// The outcome of `key`; nothing for a key no record has.
std::optional<RecordOutcome> recordOutcomeFromKey(const QString& key);

// What the exchange returned, with what only its front end knows.
struct ExchangeEnd {
    ExchangeOutcome exchange = ExchangeOutcome::NothingReceived;
    bool stopped = false;        // a stop signal came, or the receiving window was closed
    bool formsLost = false;      // a form received did not reach the archive
    bool formsReceived = false;  // some form came, whole or cut short
};

// Lost forms outrank everything: nobody can fetch them again. Then the failures of the line,
// then a stop. The settings file is no business of the record: the exchange counts by what it
// received.
RecordOutcome recordOutcomeOf(const ExchangeEnd& end);
