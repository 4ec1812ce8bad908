#include "collect/CollectOutcome.h"

#include <iterator>

#include "res/Texts.h"

namespace {

const CollectOutcomeInfo kOutcomes[] = {
    {CollectOutcome::Forms, "forms", texts::kCollectForms},
    {CollectOutcome::Nothing, "nothing", texts::kCollectNothing},
    {CollectOutcome::Usage, "usage", texts::kCollectUsage},
    {CollectOutcome::OpenFailed, "open", texts::kCollectOpenFailed},
    {CollectOutcome::NoLink, "handshake", texts::kCollectNoLink},
    {CollectOutcome::BadReply, "reply", texts::kCollectBadReply},
    {CollectOutcome::EchoFailed, "echo", texts::kCollectEchoFailed},
    {CollectOutcome::LineBroken, "broken", texts::kCollectLineBroken},
    {CollectOutcome::SettingsFailed, "settings", texts::kCollectSettingsFailed},
    {CollectOutcome::Interrupted, "interrupted", texts::kCollectInterrupted},
    {CollectOutcome::ArchiveFailed, "archive", texts::kCollectArchiveFailed},
};

}  // namespace

const CollectOutcomeInfo* collectOutcomes(int* count) {
    *count = int(std::size(kOutcomes));
    return kOutcomes;
}

const CollectOutcomeInfo& collectOutcomeOf(CollectOutcome outcome) {
    return kOutcomes[int(outcome)];
}

CollectOutcome collectOutcomeOf(ExchangeOutcome exchange, bool interrupted) {
    switch (exchange) {
        case ExchangeOutcome::OpenFailed:
            return CollectOutcome::OpenFailed;
        case ExchangeOutcome::NoHandshake:
            return CollectOutcome::NoLink;
        case ExchangeOutcome::BadReply:
            return CollectOutcome::BadReply;
        case ExchangeOutcome::EchoTooLate:
            return CollectOutcome::EchoFailed;
        case ExchangeOutcome::LineBroken:
            return CollectOutcome::LineBroken;
        case ExchangeOutcome::StoppedByOperator:
            return CollectOutcome::Interrupted;
        case ExchangeOutcome::SettingsNotWritten:
            return interrupted ? CollectOutcome::Interrupted : CollectOutcome::SettingsFailed;
        case ExchangeOutcome::FormsReceived:
            return interrupted ? CollectOutcome::Interrupted : CollectOutcome::Forms;
        case ExchangeOutcome::NothingReceived:
            break;
    }
    return interrupted ? CollectOutcome::Interrupted : CollectOutcome::Nothing;
}
