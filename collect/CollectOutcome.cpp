#include "collect/CollectOutcome.h"

#include <iterator>

#include "res/Texts.h"

namespace {

const char* keyOf(RecordOutcome outcome) {
    return recordOutcomeInfo(outcome).key;
}

const CollectOutcomeInfo kOutcomes[] = {
    {CollectOutcome::FormsReceived, keyOf(RecordOutcome::FormsReceived),
     texts::kCollectFormsReceived},
    {CollectOutcome::NothingReceived, keyOf(RecordOutcome::NothingReceived),
     texts::kCollectNothingReceived},
    {CollectOutcome::Usage, "usage", texts::kCollectUsage},
    {CollectOutcome::OpenFailed, keyOf(RecordOutcome::OpenFailed), texts::kCollectOpenFailed},
    {CollectOutcome::NoHandshake, keyOf(RecordOutcome::NoHandshake), texts::kCollectNoHandshake},
    {CollectOutcome::BadReply, keyOf(RecordOutcome::BadReply), texts::kCollectBadReply},
    {CollectOutcome::EchoTooLate, keyOf(RecordOutcome::EchoTooLate), texts::kCollectEchoTooLate},
    {CollectOutcome::LineBroken, keyOf(RecordOutcome::LineBroken), texts::kCollectLineBroken},
    {CollectOutcome::SettingsNotWritten, "settings", texts::kCollectSettingsNotWritten},
    {CollectOutcome::Interrupted, keyOf(RecordOutcome::StoppedByOperator),
     texts::kCollectInterrupted},
    {CollectOutcome::ArchiveIncomplete, keyOf(RecordOutcome::ArchiveIncomplete),
     texts::kCollectArchiveIncomplete},
    {CollectOutcome::SomeSitesFailed, "partial", texts::kCollectSomeSitesFailed},
    {CollectOutcome::DialBusy, keyOf(RecordOutcome::DialBusy), modemTexts::kCollectBusy},
    {CollectOutcome::DialNoAnswer, keyOf(RecordOutcome::DialNoAnswer), modemTexts::kCollectNoAnswer},
    {CollectOutcome::DialNoCarrier, keyOf(RecordOutcome::DialNoCarrier),
     modemTexts::kCollectNoCarrier},
    {CollectOutcome::DialNoDialtone, keyOf(RecordOutcome::DialNoDialtone),
     modemTexts::kCollectNoDialtone},
    {CollectOutcome::DialError, keyOf(RecordOutcome::DialError), modemTexts::kCollectError},
    {CollectOutcome::DialBearerRefused, keyOf(RecordOutcome::DialBearerRefused),
     modemTexts::kCollectBearerRefused},
    {CollectOutcome::ModemSilent, keyOf(RecordOutcome::ModemSilent),
     modemTexts::kCollectModemSilent},
    {CollectOutcome::DialTimeout, keyOf(RecordOutcome::DialTimeout),
     modemTexts::kCollectDialTimeout},
    {CollectOutcome::UploadIncomplete, "upload", texts::kCollectUploadIncomplete},
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
    if (exchange == ExchangeOutcome::SettingsNotWritten && !interrupted)
        return CollectOutcome::SettingsNotWritten;
    return collectOutcomeOf(recordOutcomeOf({exchange, interrupted}));
}

CollectOutcome collectOutcomeOf(RecordOutcome outcome) {
    return CollectOutcome(recordOutcomeExitCode(outcome));
}

std::optional<DialOutcome> dialOutcomeOf(CollectOutcome outcome) {
    for (int d = 0; d <= int(DialOutcome::Stopped); ++d) {
        const std::optional<ExchangeOutcome> end = exchangeOutcomeOf(DialOutcome(d));
        if (end && collectOutcomeOf(*end, false) == outcome) return DialOutcome(d);
    }
    return std::nullopt;
}
