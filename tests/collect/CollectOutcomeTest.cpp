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
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.outcome));
        EXPECT_EQ(int(collectOutcomeOf(row.outcome, false)), row.exit);
        EXPECT_EQ(int(collectOutcomeOf(row.outcome, true)), row.exitInterrupted);
        EXPECT_EQ(threadExitCode(row.outcome), row.threadExit);
        EXPECT_EQ(failureText(row.outcome), QString::fromUtf8(row.text));
    }
    // An opening's own message, cause included, is what the operator reads.
    EXPECT_EQ(failureText(ExchangeOutcome::OpenFailed, "GetCommState failed with error 5.\n"),
              "GetCommState failed with error 5.\n");
}

}  // namespace
