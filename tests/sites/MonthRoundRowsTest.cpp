#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "archive/UnknownCallers.h"
#include "sites/MonthRoundCallers.h"
#include "sites/MonthRoundRows.h"
#include "tests/fakes/TestArchive.h"

namespace {

using Kind = MonthRoundRow::Kind;
using O = RecordOutcome;

QDateTime at(int month, int day, int hour = 10) {
    return QDateTime(QDate(2026, month, day), QTime(hour, 0), Qt::UTC);
}

// What one row must say.
struct Expected {
    Kind kind;
    QString site;
    RoundState state;
    QDateTime lastCollected;
    int forms;
    std::optional<O> lastOutcome;
    QDateTime lastAttempt;
    QString port;
};

struct RoundCase {
    const char* name;
    QList<Site> book;
    QList<ExchangeRecord> month;    // December 2026
    QList<ExchangeRecord> earlier;  // of the months before
    QList<Expected> rows;
};

void PrintTo(const RoundCase& c, std::ostream* os) {
    *os << c.name;
}

Site site(const QString& name, const QString& port) {
    Site s;
    s.name = name;
    s.port = port;
    return s;
}

const Site kA = site(QStringLiteral("Котельная 1"), QStringLiteral("COM3"));
const Site kB = site(QStringLiteral("ЦТП 2"), QStringLiteral("tcp://10.0.0.2:4001"));

class Rows : public testing::TestWithParam<RoundCase> {};

TEST_P(Rows, SayWhatTheRecordsSay) {
    const RoundCase& c = GetParam();
    SiteLastExchanges last;
    for (const ExchangeRecord& r : c.earlier + c.month) noteSiteExchange(last, r);
    const QList<MonthRoundRow> rows = MonthRound::rows(c.book, c.month, last);
    ASSERT_EQ(rows.size(), c.rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const MonthRoundRow& r = rows[i];
        const Expected& e = c.rows[i];
        EXPECT_EQ(r.kind, e.kind);
        EXPECT_EQ(r.site.toStdString(), e.site.toStdString());
        EXPECT_EQ(r.state, e.state);
        EXPECT_EQ(r.lastCollected, e.lastCollected);
        EXPECT_EQ(r.forms, e.forms);
        EXPECT_EQ(r.lastOutcome, e.lastOutcome);
        EXPECT_EQ(r.lastAttempt, e.lastAttempt);
        EXPECT_EQ(r.port.toStdString(), e.port.toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(
    MonthRound, Rows,
    testing::Values(RoundCase{"BookSiteNeverTried",
                              {kA},
                              {},
                              {},
                              {{Kind::Book, kA.name, RoundState::NotTried, {}, 0, {}, {}, "COM3"}}},
                    RoundCase{"FailuresOnlyKeepTheEarlierCollection",
                              {kA},
                              {testRecord(kA.name, at(12, 3), O::NoHandshake),
                               testRecord(kA.name, at(12, 5), O::LineBroken, 1)},
                              {testRecord(kA.name, at(11, 20), O::FormsReceived, 1)},
                              {{Kind::Book, kA.name, RoundState::Failed, at(11, 20), 1,
                                O::LineBroken, at(12, 5), "COM3"}}},
                    // Records come in any order; the last attempt is the latest start, and it may
                    // have failed after the month's success.
                    RoundCase{"CollectedThenFailed",
                              {kA},
                              {testRecord(kA.name, at(12, 9), O::OpenFailed),
                               testRecord(kA.name, at(12, 2), O::FormsReceived, 3),
                               testRecord(kA.name, at(12, 7), O::FormsReceived, 2)},
                              {testRecord(kA.name, at(11, 20), O::FormsReceived, 1)},
                              {{Kind::Book, kA.name, RoundState::Collected, at(12, 7), 5,
                                O::OpenFailed, at(12, 9), "COM3"}}},
                    RoundCase{"RecordsOfOtherSitesDoNotCount",
                              {kA, kB},
                              {testRecord(kB.name, at(12, 1), O::FormsReceived, 1)},
                              {},
                              {{Kind::Book, kA.name, RoundState::NotTried, {}, 0, {}, {}, "COM3"},
                               {Kind::Book, kB.name, RoundState::Collected, at(12, 1), 1,
                                O::FormsReceived, at(12, 1), kB.port}}},
                    // Sites only the records name follow the book by name, the port of their last
                    // exchange; the exchanges without a site come last.
                    RoundCase{"SitesNotInTheBookAndNoSite",
                              {kA},
                              {testRecord(QString(), at(12, 4), O::FormsReceived, 2, "COM7"),
                               testRecord("Школа", at(12, 6), O::BadReply, 0, "COM5"),
                               testRecord("Баня", at(12, 2), O::FormsReceived, 1, "COM4"),
                               testRecord("Школа", at(12, 1), O::EchoTooLate, 0, "COM2")},
                              {testRecord("Школа", at(10, 1), O::FormsReceived, 1)},
                              {{Kind::Book, kA.name, RoundState::NotTried, {}, 0, {}, {}, "COM3"},
                               {Kind::RecordsOnly, "Баня", RoundState::Collected, at(12, 2), 1,
                                O::FormsReceived, at(12, 2), "COM4"},
                               {Kind::RecordsOnly, "Школа", RoundState::Failed, at(10, 1), 0,
                                O::BadReply, at(12, 6), "COM5"},
                               {Kind::NoSite, "", RoundState::Collected, at(12, 4), 2,
                                O::FormsReceived, at(12, 4), "COM7"}}},
                    RoundCase{"NameTwiceInTheBookIsOneRow",
                              {kA, kA},
                              {testRecord(kA.name, at(12, 3), O::FormsReceived, 1)},
                              {},
                              {{Kind::Book, kA.name, RoundState::Collected, at(12, 3), 1,
                                O::FormsReceived, at(12, 3), "COM3"}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// The month's unknown callers as the service appends them and the window lists them: one line
// for a modem that keeps calling with the same words, the latest first, a damaged line skipped.
TEST(MonthCallers, OneLinePerCallerLatestFirst) {
    QTemporaryDir dir;
    const QString root = dir.path();
    const QList<UnknownCaller> calls = {
        {at(12, 10, 12), QStringLiteral("192.0.2.1"), QByteArray("ID:9")},
        {at(12, 11, 12), QStringLiteral("198.51.100.4"), QByteArray("\x01\x02", 2)},
        {at(12, 12, 12), QStringLiteral("192.0.2.1"), QByteArray("ID:9")},
        {at(11, 30, 12), QStringLiteral("203.0.113.9"), QByteArray("x")}};  // another month
    QString error;
    for (const UnknownCaller& call : calls) ASSERT_TRUE(UnknownCallers::append(root, call, &error));
    QFile file(UnknownCallers::filePath(root, QDate(2026, 12, 1)));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("{\"time\":\"half a li");
    file.close();

    const QList<UnknownCaller> read = UnknownCallers::readMonth(root, QDate(2026, 12, 1));
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read[1].sent, QByteArray("\x01\x02", 2));
    const QStringList lines = MonthRound::callerLines(read);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("192.0.2.1"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("ID:9 (49 44 3a 39)")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral(": 2,"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral(".. (01 02)"))) << lines[1].toStdString();
}

}  // namespace
