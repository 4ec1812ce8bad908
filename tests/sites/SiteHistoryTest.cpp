#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "sites/SiteHistory.h"
#include "tests/fakes/TestArchive.h"

namespace {

using O = RecordOutcome;

// The month both windows would show; the records lie in it and the months before.
const QDate kShown(2026, 6, 1);

QDateTime local(int year, int month, int day, int hour = 10, int minute = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

ExchangeRecord record(const QString& site, const QDateTime& start, O outcome, int minutes = 1) {
    ExchangeRecord r = testRecord(site, start, outcome);
    r.end = r.start.addSecs(60 * minutes);
    return r;
}

// What a site's entry must say: its last collection (invalid: none) and its last outcome.
struct Past {
    QString site;
    QDateTime lastSuccess;
    std::optional<O> lastOutcome;
};

struct HistoryCase {
    const char* name;
    QList<ExchangeRecord> records;  // written to the archive, each in its start's month
    QSet<QString> wanted;
    QList<Past> expected;  // every entry the result holds
};

void PrintTo(const HistoryCase& c, std::ostream* os) {
    *os << c.name;
}

class History : public testing::TestWithParam<HistoryCase> {};

// The picker and "Сбор за месяц" ask the same question of the same records; here it is asked
// of records on disk, as both windows do.
TEST_P(History, FindsEachSitesLastCollection) {
    const HistoryCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const ExchangeRecord& r : c.records) ASSERT_TRUE(addRecord(dir.path(), r));
    SiteHistory history(dir.path());
    // Twice: the second answer comes from the months kept, and must be the same.
    for (int round = 0; round < 2; ++round) {
        const SiteLastExchanges last = history.lastExchanges(kShown, c.wanted);
        ASSERT_EQ(last.size(), c.expected.size()) << round;
        for (const Past& e : c.expected) {
            SCOPED_TRACE(e.site.toStdString());
            EXPECT_EQ(last.value(e.site).lastSuccess, e.lastSuccess.toUTC());
            EXPECT_EQ(last.value(e.site).lastOutcome, e.lastOutcome);
        }
    }
}

const QString kA = QStringLiteral("Котельная 1"), kB = QStringLiteral("ЦТП 2");

INSTANTIATE_TEST_SUITE_P(
    SiteHistory, History,
    testing::Values(
        // Collected in winter, failing since: the collection months ago still shows, with the
        // latest outcome.
        HistoryCase{"CollectionMonthsAgo",
                    {record(kA, local(2026, 1, 20), O::FormsReceived),
                     record(kA, local(2026, 6, 2), O::NoHandshake),
                     record(kA, local(2026, 5, 2), O::OpenFailed)},
                    {kA},
                    {{kA, local(2026, 1, 20), O::NoHandshake}}},
        // Twelve months before the one shown are searched, the thirteenth is not.
        HistoryCase{"AYearBackAndNoFurther",
                    {record(kA, local(2025, 6, 15), O::FormsReceived),
                     record(kB, local(2025, 5, 31), O::FormsReceived)},
                    {kA, kB},
                    {{kA, local(2025, 6, 15), O::FormsReceived}}},
        // An exchange over the midnight that ends May counts by its start: it is May's, and
        // its collection is the time it began.
        HistoryCase{"OverMidnightCountsByItsStart",
                    {record(kA, local(2026, 5, 31, 23, 50), O::FormsReceived, 30)},
                    {kA},
                    {{kA, local(2026, 5, 31, 23, 50), O::FormsReceived}}},
        // Once every site asked about has a success, older months are not read: the site
        // nobody asked about is not found there.
        HistoryCase{"OlderMonthsOnlyForSitesStillWithout",
                    {record(kA, local(2026, 6, 3), O::FormsReceived),
                     record(kB, local(2026, 3, 3), O::FormsReceived)},
                    {kA},
                    {{kA, local(2026, 6, 3), O::FormsReceived}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
