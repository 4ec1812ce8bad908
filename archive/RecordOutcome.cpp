#include "archive/RecordOutcome.h"

#include <iterator>

#include "res/Texts.h"

static_assert(std::size(kRecordOutcomes) == std::size_t(RecordOutcome::DialTimeout) + 1);

QString recordOutcomeKey(RecordOutcome outcome) {
    return QString::fromLatin1(recordOutcomeInfo(outcome).key);
}

QString recordOutcomeText(RecordOutcome outcome) {
    switch (outcome) {
        case RecordOutcome::FormsReceived:
            return texts::kRecordForms;
        case RecordOutcome::NothingReceived:
            return texts::kRecordNothing;
        case RecordOutcome::OpenFailed:
            return texts::kRecordOpenFailed;
        case RecordOutcome::NoHandshake:
            return texts::kRecordNoHandshake;
        case RecordOutcome::BadReply:
            return texts::kRecordBadReply;
        case RecordOutcome::EchoTooLate:
            return texts::kRecordEchoTooLate;
        case RecordOutcome::LineBroken:
            return texts::kRecordLineBroken;
        case RecordOutcome::StoppedByOperator:
            return texts::kRecordStopped;
        case RecordOutcome::ArchiveIncomplete:
            break;
        case RecordOutcome::DialBusy:
            return modemTexts::kRecordBusy;
        case RecordOutcome::DialNoAnswer:
            return modemTexts::kRecordNoAnswer;
        case RecordOutcome::DialNoCarrier:
            return modemTexts::kRecordNoCarrier;
        case RecordOutcome::DialNoDialtone:
            return modemTexts::kRecordNoDialtone;
        case RecordOutcome::DialError:
            return modemTexts::kRecordError;
        case RecordOutcome::DialBearerRefused:
            return modemTexts::kRecordBearerRefused;
        case RecordOutcome::ModemSilent:
            return modemTexts::kRecordModemSilent;
        case RecordOutcome::DialTimeout:
            return modemTexts::kRecordDialTimeout;
    }
    return texts::kRecordArchiveIncomplete;
}

std::optional<RecordOutcome> recordOutcomeFromKey(const QString& key) {
    for (const RecordOutcomeInfo& info : kRecordOutcomes)
        if (key == QLatin1String(info.key)) return info.outcome;
    return std::nullopt;
}

namespace {

// The ends the record keeps as the exchange met them: the failures of the line and of the
// call, and a stop the exchange itself ended with; none for the others.
std::optional<RecordOutcome> keptAsMet(ExchangeOutcome exchange) {
    switch (exchange) {
        case ExchangeOutcome::OpenFailed:
            return RecordOutcome::OpenFailed;
        case ExchangeOutcome::NoHandshake:
            return RecordOutcome::NoHandshake;
        case ExchangeOutcome::BadReply:
            return RecordOutcome::BadReply;
        case ExchangeOutcome::EchoTooLate:
            return RecordOutcome::EchoTooLate;
        case ExchangeOutcome::LineBroken:
            return RecordOutcome::LineBroken;
        case ExchangeOutcome::StoppedByOperator:
            return RecordOutcome::StoppedByOperator;
        case ExchangeOutcome::FormsReceived:
        case ExchangeOutcome::NothingReceived:
        case ExchangeOutcome::SettingsNotWritten:
            break;
        case ExchangeOutcome::DialBusy:
            return RecordOutcome::DialBusy;
        case ExchangeOutcome::DialNoAnswer:
            return RecordOutcome::DialNoAnswer;
        case ExchangeOutcome::DialNoCarrier:
            return RecordOutcome::DialNoCarrier;
        case ExchangeOutcome::DialNoDialtone:
            return RecordOutcome::DialNoDialtone;
        case ExchangeOutcome::DialError:
            return RecordOutcome::DialError;
        case ExchangeOutcome::DialBearerRefused:
            return RecordOutcome::DialBearerRefused;
        case ExchangeOutcome::ModemSilent:
            return RecordOutcome::ModemSilent;
        case ExchangeOutcome::DialTimeout:
            return RecordOutcome::DialTimeout;
    }
    return std::nullopt;
}

}  // namespace

RecordOutcome recordOutcomeOf(const ExchangeEnd& end) {
    if (end.formsLost) return RecordOutcome::ArchiveIncomplete;
    if (const std::optional<RecordOutcome> met = keptAsMet(end.exchange)) return *met;
    if (end.stopped) return RecordOutcome::StoppedByOperator;
    if (end.exchange == ExchangeOutcome::SettingsNotWritten)
        return end.formsReceived ? RecordOutcome::FormsReceived : RecordOutcome::NothingReceived;
    return end.exchange == ExchangeOutcome::FormsReceived ? RecordOutcome::FormsReceived
                                                          : RecordOutcome::NothingReceived;
}
