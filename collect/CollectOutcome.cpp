#include "collect/CollectOutcome.h"

#include <iterator>

#include "res/Texts.h"

namespace {

const char* keyOf(RecordOutcome outcome) {
    return recordOutcomeInfo(outcome).key;
}

const CollectOutcomeInfo kOutcomes[] = {
    {CollectOutcome::Forms, keyOf(RecordOutcome::FormsReceived), texts::kCollectForms},
    {CollectOutcome::Nothing, keyOf(RecordOutcome::NothingReceived), texts::kCollectNothing},
    {CollectOutcome::Usage, "usage", texts::kCollectUsage},
    {CollectOutcome::OpenFailed, keyOf(RecordOutcome::OpenFailed), texts::kCollectOpenFailed},
    {CollectOutcome::NoLink, keyOf(RecordOutcome::NoHandshake), texts::kCollectNoLink},
    {CollectOutcome::BadReply, keyOf(RecordOutcome::BadReply), texts::kCollectBadReply},
    {CollectOutcome::EchoFailed, keyOf(RecordOutcome::EchoTooLate), texts::kCollectEchoFailed},
    {CollectOutcome::LineBroken, keyOf(RecordOutcome::LineBroken), texts::kCollectLineBroken},
    {CollectOutcome::SettingsFailed, "settings", texts::kCollectSettingsFailed},
    {CollectOutcome::Interrupted, keyOf(RecordOutcome::StoppedByOperator),
     texts::kCollectInterrupted},
    {CollectOutcome::ArchiveFailed, keyOf(RecordOutcome::ArchiveIncomplete),
     texts::kCollectArchiveFailed},
    {CollectOutcome::SomeSitesFailed, "partial", texts::kCollectSomeSitesFailed},
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
        return CollectOutcome::SettingsFailed;
    return collectOutcomeOf(recordOutcomeOf({exchange, interrupted}));
}

CollectOutcome collectOutcomeOf(RecordOutcome outcome) {
    return CollectOutcome(recordOutcomeExitCode(outcome));
}
