#include "collect/CollectOutcome.h"

#include <iterator>

namespace {

const CollectOutcomeInfo kOutcomes[] = {
    {CollectOutcome::Forms, "forms", "формы получены и записаны в архив"},
    {CollectOutcome::Nothing, "nothing", "вычислитель ничего не передал"},
    {CollectOutcome::Usage, "usage", "неверные параметры командной строки"},
    {CollectOutcome::OpenFailed, "open", "COM-порт не удалось открыть или настроить"},
    {CollectOutcome::NoLink, "handshake", "связь с вычислителем не установлена"},
    {CollectOutcome::BadReply, "reply", "неверный ответ вычислителя при установлении связи"},
    {CollectOutcome::EchoFailed, "echo", "эхо принятого байта не отправлено вовремя"},
    {CollectOutcome::LineBroken, "broken", "линия оборвалась (устройство пропало)"},
    {CollectOutcome::SettingsFailed, "settings", "файл Tabulon.ini не удалось записать"},
    {CollectOutcome::Interrupted, "interrupted", "прервано сигналом SIGINT или SIGTERM"},
    {CollectOutcome::ArchiveFailed, "archive",
     "ФОРМЫ ПОТЕРЯНЫ: не все полученные формы записаны в архив"},
};

}  // namespace

const CollectOutcomeInfo* CollectOutcomes(int* count) {
    *count = int(std::size(kOutcomes));
    return kOutcomes;
}

const CollectOutcomeInfo& CollectOutcomeOf(CollectOutcome outcome) {
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
