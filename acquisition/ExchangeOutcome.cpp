#include "acquisition/ExchangeOutcome.h"

#include "res/Texts.h"

QString failureText(ExchangeOutcome kind, const QString& detail) {
    switch (kind) {
        case ExchangeOutcome::OpenFailed:
            return detail.isEmpty() ? texts::kPortInitFailed : detail;
        case ExchangeOutcome::NoHandshake:
            return texts::kLinkNotEstablished;
        case ExchangeOutcome::BadReply:
            return texts::kBadReply;
        // The operator cannot mend a late echo otherwise than a broken line: one message.
        case ExchangeOutcome::EchoTooLate:
        case ExchangeOutcome::LineBroken:
            return texts::kLinkBroken;
        case ExchangeOutcome::SettingsNotWritten:
            return texts::kCannotOpenIni;
        case ExchangeOutcome::FormsReceived:
        case ExchangeOutcome::NothingReceived:
        case ExchangeOutcome::StoppedByOperator:
            break;
    }
    return {};
}

unsigned threadExitCode(ExchangeOutcome outcome) {
    return outcome == ExchangeOutcome::SettingsNotWritten ? 0xFFFFFFFFu : 0u;
}
