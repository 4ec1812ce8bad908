#include <gtest/gtest.h>

#include "acquisition/ExchangeOutcome.h"
#include "collect/CollectOutcome.h"

namespace {

// Every end of the worker: the collector's exit status (after a stop signal too), the worker
// thread's exit code, and what the operator reads about it.
TEST(ExchangeOutcomeTable, EachValueHasItsExitCodeAndText) {
    struct Row {
        ExchangeOutcome outcome;
        int exit, exitInterrupted;
        unsigned threadExit;
        const char* text;
    };
    const Row rows[] = {
        {ExchangeOutcome::FormsReceived, 0, 9, 0, ""},
        {ExchangeOutcome::NothingReceived, 1, 9, 0, ""},
        {ExchangeOutcome::OpenFailed, 3, 3, 0, "Ошибка при инициализации COM-порта"},
        {ExchangeOutcome::NoHandshake, 4, 4, 0, "Связь с вычислителем не установлена"},
        {ExchangeOutcome::BadReply, 5, 5, 0, "Ошибка при приеме данных от вычислителя"},
        {ExchangeOutcome::EchoTooLate, 6, 6, 0, "Связь с вычислителем нарушена"},
        {ExchangeOutcome::LineBroken, 7, 7, 0, "Связь с вычислителем нарушена"},
        {ExchangeOutcome::SettingsNotWritten, 8, 9, 0xFFFFFFFFu,
         "Невозможно открыть файл Tabulon.ini"},
        {ExchangeOutcome::StoppedByOperator, 9, 9, 0, ""},
        // A call that did not come about outranks a stop that came meanwhile, as a line's
        // failure does.
        {ExchangeOutcome::DialBusy, 12, 12, 0, "Номер объекта занят (BUSY)"},
        {ExchangeOutcome::DialNoAnswer, 13, 13, 0, "Модем объекта не отвечает на вызов (NO ANSWER)"},
        {ExchangeOutcome::DialNoCarrier, 14, 14, 0,
         "Соединение с модемом объекта не установлено (NO CARRIER)"},
        {ExchangeOutcome::DialNoDialtone, 15, 15, 0, "Модем не находит сети (NO DIALTONE)"},
        {ExchangeOutcome::DialError, 16, 16, 0, "Модем отклонил команду (ERROR)"},
        {ExchangeOutcome::DialBearerRefused, 17, 17, 0,
         "Модем не поддерживает заданный тип соединения (ERROR в ответ на bearer)"},
        {ExchangeOutcome::ModemSilent, 18, 18, 0, "Модем не отвечает"},
        {ExchangeOutcome::DialTimeout, 19, 19, 0, "Соединение с объектом не установлено за 90 с"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.outcome));
        EXPECT_EQ(int(collectOutcomeOf(row.outcome, false)), row.exit);
        EXPECT_EQ(int(collectOutcomeOf(row.outcome, true)), row.exitInterrupted);
        EXPECT_EQ(threadExitCode(row.outcome), row.threadExit);
        EXPECT_EQ(failureText(row.outcome), QString::fromUtf8(row.text));
    }
    // Every exit status is told in --help, in the order of the codes, and names its record key.
    int count = 0;
    const CollectOutcomeInfo* outcomes = collectOutcomes(&count);
    for (int i = 0; i < count; ++i) EXPECT_EQ(int(outcomes[i].outcome), i);
    EXPECT_STREQ(collectOutcomeOf(CollectOutcome::DialBearerRefused).key, "bearer");
    // The dial's own text names the time-out the site gave.
    EXPECT_EQ(failureText(ExchangeOutcome::DialTimeout, dialOutcomeText(DialOutcome::DialTimeout, 45)),
              "Соединение с объектом не установлено за 45 с");
    // An opening's own message, cause included, is what the operator reads.
    EXPECT_EQ(failureText(ExchangeOutcome::OpenFailed, "GetCommState failed with error 5.\n"),
              "GetCommState failed with error 5.\n");
}

}  // namespace
