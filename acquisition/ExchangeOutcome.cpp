#include "acquisition/ExchangeOutcome.h"

#include <iterator>

#include "modem/DialPlan.h"
#include "res/Texts.h"

namespace {

struct DialEnd {
    DialOutcome dial;
    ExchangeOutcome exchange;
};

constexpr DialEnd kDialEnds[] = {
    {DialOutcome::Busy, ExchangeOutcome::DialBusy},
    {DialOutcome::NoAnswer, ExchangeOutcome::DialNoAnswer},
    {DialOutcome::NoCarrier, ExchangeOutcome::DialNoCarrier},
    {DialOutcome::NoDialtone, ExchangeOutcome::DialNoDialtone},
    {DialOutcome::Error, ExchangeOutcome::DialError},
    {DialOutcome::BearerRefused, ExchangeOutcome::DialBearerRefused},
    {DialOutcome::ModemSilent, ExchangeOutcome::ModemSilent},
    {DialOutcome::DialTimeout, ExchangeOutcome::DialTimeout},
};

}  // namespace

std::optional<ExchangeOutcome> exchangeOutcomeOf(DialOutcome dial) {
    for (const DialEnd& end : kDialEnds)
        if (end.dial == dial) return end.exchange;
    return std::nullopt;
}

std::optional<DialOutcome> dialOutcomeOf(ExchangeOutcome kind) {
    for (const DialEnd& end : kDialEnds)
        if (end.exchange == kind) return end.dial;
    return std::nullopt;
}

QString failureText(ExchangeOutcome kind, const QString& detail) {
    if (const std::optional<DialOutcome> dial = dialOutcomeOf(kind))
        return detail.isEmpty() ? dialOutcomeText(*dial, DialPlan::kDefaultDialTimeoutS) : detail;
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
        default:  // a dial's, above
            break;
    }
    return {};
}

unsigned threadExitCode(ExchangeOutcome outcome) {
    return outcome == ExchangeOutcome::SettingsNotWritten ? 0xFFFFFFFFu : 0u;
}
