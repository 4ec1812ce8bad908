#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <thread>

#include "archive/ExchangeRecord.h"
#include "tests/files/FifoReleaser.h"
#include "tests/files/HangGuard.h"

namespace {

// The one list: each outcome's key, the collector's exit status and the windows' words.
TEST(RecordOutcomeTable, EachOutcomeHasItsKeyExitCodeAndText) {
    struct Row {
        RecordOutcome outcome;
        const char* key;
        int exitCode;
        const char* text;
    };
    const Row rows[] = {
        {RecordOutcome::FormsReceived, "forms", 0, "формы приняты"},
        {RecordOutcome::NothingReceived, "nothing", 1, "ничего не принято"},
        {RecordOutcome::OpenFailed, "open", 3, "порт не открылся"},
        {RecordOutcome::NoHandshake, "handshake", 4, "нет ответа вычислителя"},
        {RecordOutcome::BadReply, "reply", 5, "неверный ответ вычислителя"},
        {RecordOutcome::EchoTooLate, "echo", 6, "эхо не отправлено вовремя"},
        {RecordOutcome::LineBroken, "broken", 7, "связь нарушена"},
        {RecordOutcome::StoppedByOperator, "interrupted", 9, "остановлено"},
        {RecordOutcome::ArchiveIncomplete, "archive", 10, "не все формы в архиве"},
        {RecordOutcome::DialBusy, "busy", 12, "номер занят"},
        {RecordOutcome::DialNoAnswer, "no-answer", 13, "вызов без ответа"},
        {RecordOutcome::DialNoCarrier, "no-carrier", 14, "нет несущей"},
        {RecordOutcome::DialNoDialtone, "no-dialtone", 15, "модем без сети"},
        {RecordOutcome::DialError, "modem-error", 16, "модем отклонил команду"},
        {RecordOutcome::DialBearerRefused, "bearer", 17, "тип соединения не поддержан"},
        {RecordOutcome::ModemSilent, "modem-silent", 18, "модем не отвечает"},
        {RecordOutcome::DialTimeout, "dial-timeout", 19, "нет соединения за время набора"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(recordOutcomeKey(row.outcome), row.key);
        EXPECT_EQ(recordOutcomeExitCode(row.outcome), row.exitCode);
        EXPECT_EQ(recordOutcomeText(row.outcome), QString::fromUtf8(row.text));
        EXPECT_EQ(recordOutcomeFromKey(row.key), row.outcome);
    }
    EXPECT_FALSE(recordOutcomeFromKey("usage")) << "the collector's own ends are no record's";
}

// Decided from what the exchange returned and what its front end knows, in this rank: lost
// forms, the line's failures, a stop.
TEST(RecordOutcomeOf, RanksWhatTheExchangeMet) {
    using E = ExchangeOutcome;
    using R = RecordOutcome;
    struct Row {
        ExchangeEnd end;
        RecordOutcome expected;
    };
    const Row rows[] = {
        {{E::FormsReceived, false, false, true}, R::FormsReceived},
        {{E::NothingReceived}, R::NothingReceived},
        {{E::FormsReceived, true, false, true}, R::StoppedByOperator},
        {{E::StoppedByOperator, false, false, true}, R::StoppedByOperator},
        {{E::LineBroken, true, false, true}, R::LineBroken},
        {{E::OpenFailed, true}, R::OpenFailed},
        {{E::DialBusy, true}, R::DialBusy},
        {{E::DialTimeout}, R::DialTimeout},
        {{E::NoHandshake}, R::NoHandshake},
        {{E::BadReply}, R::BadReply},
        {{E::EchoTooLate, false, false, true}, R::EchoTooLate},
        {{E::LineBroken, false, true, true}, R::ArchiveIncomplete},
        {{E::StoppedByOperator, true, true, true}, R::ArchiveIncomplete},
        // The settings file is no business of the record: what came counts.
        {{E::SettingsNotWritten, false, false, true}, R::FormsReceived},
        {{E::SettingsNotWritten, false, false, false}, R::NothingReceived},
        {{E::SettingsNotWritten, true, false, true}, R::StoppedByOperator},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << int(row.end.exchange) << row.end.stopped
                                        << row.end.formsLost << row.end.formsReceived);
        EXPECT_EQ(recordOutcomeOf(row.end), row.expected);
    }
}

ExchangeRecord sampleRecord(const QDateTime& start, const QString& site = {}) {
    ExchangeRecord r;
    r.site = site;
    r.port = "tcp://10.0.0.7:4001";
    r.device = "КСМ-Р";
    r.speed = 9600;
    r.start = start.toUTC();
    r.end = start.addMSecs(61'234).toUTC();
    r.outcome = RecordOutcome::ArchiveIncomplete;
    r.forms = {{"2024-03/01 Котельная.txt", 1234}, {"2024-03/02.txt", 0}};
    r.bytes = 5'000'000'000;
    return r;
}

class ExchangeRecordsTest : public ::testing::Test {
protected:
    QString root() const { return m_dir.filePath("archive"); }
    QDateTime localTime(int y, int m, int d, int h, int min, int s, int ms) const {
        return QDateTime(QDate(y, m, d), QTime(h, min, s, ms), Qt::LocalTime);
    }
    bool writeRecord(const ExchangeRecord& r) {
        QString error;
        const bool ok = ExchangeRecords::write(root(), r, &error);
        EXPECT_TRUE(ok) << error.toStdString();
        return ok;
    }
    QTemporaryDir m_dir;
};

TEST_F(ExchangeRecordsTest, RoundTripKeepsEveryFieldAndBothTimes) {
    const ExchangeRecord written =
        sampleRecord(localTime(2024, 3, 5, 14, 7, 9, 421), "Котельная №3 «Север»");
    ASSERT_TRUE(writeRecord(written));
    int unreadable = -1;
    const QList<ExchangeRecord> read =
        ExchangeRecords::readMonth(root(), {2024, 3, 1}, &unreadable);
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(unreadable, 0);
    EXPECT_EQ(read[0].toJson(), written.toJson());
    EXPECT_EQ(read[0].start.timeSpec(), Qt::UTC);
    EXPECT_FALSE(read[0].succeeded());

    const QDir month(ExchangeRecords::monthFolder(root(), {2024, 3, 1}));
    EXPECT_EQ(month.path(), QDir(root()).filePath(".exchanges/2024-03"));
    const QStringList files = month.entryList(QDir::Files | QDir::Hidden);
    ASSERT_EQ(files.size(), 1) << "no temporary file is left behind";
    QFile file(month.filePath(files[0]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray json = file.readAll();
    EXPECT_TRUE(
        json.contains("\"startUtc\": \"" + written.start.toString(Qt::ISODateWithMs).toUtf8()));
    const QString local = written.start.toLocalTime().toString("yyyy-MM-ddTHH:mm:ss.zzz");
    EXPECT_TRUE(json.contains("\"startLocal\": \"" + local.toUtf8())) << json.toStdString();
    EXPECT_TRUE(json.contains("\"version\": 1"));
}

// A window and collectors may end exchanges at the same millisecond on the same line.
TEST_F(ExchangeRecordsTest, WritersInOneMillisecondNeverCollide) {
    const ExchangeRecord r = sampleRecord(localTime(2024, 3, 5, 14, 7, 9, 421));
    std::atomic<int> failed{0};
    auto writer = [&] {
        for (int i = 0; i < 20; ++i)
            if (!ExchangeRecords::write(root(), r, nullptr)) ++failed;
    };
    std::thread a(writer), b(writer);
    a.join();
    b.join();
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(ExchangeRecords::readMonth(root(), {2024, 3, 1}).size(), 40);
}

TEST_F(ExchangeRecordsTest, DamagedFilesAreSkippedAndCounted) {
    ASSERT_TRUE(writeRecord(sampleRecord(localTime(2024, 3, 5, 14, 7, 9, 421))));
    const QDir month(ExchangeRecords::monthFolder(root(), {2024, 3, 1}));
    const std::pair<const char*, QByteArray> damaged[] = {
        {"cut.json", sampleRecord(localTime(2024, 3, 6, 1, 0, 0, 0)).toJson().left(80)},
        {"empty.json", {}},
        {"future.json", sampleRecord(localTime(2024, 3, 6, 1, 0, 0, 0))
                            .toJson()
                            .replace("\"version\": 1", "\"version\": 2")},
        {"outcome.json", sampleRecord(localTime(2024, 3, 6, 1, 0, 0, 0))
                             .toJson()
                             .replace("\"archive\"", "\"lost\"")},
        {"array.json", "[]"},
    };
    for (const auto& [name, bytes] : damaged) {
        QFile f(month.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    int unreadable = 0;
    EXPECT_EQ(ExchangeRecords::readMonth(root(), {2024, 3, 1}, &unreadable).size(), 1);
    EXPECT_EQ(unreadable, int(std::size(damaged)));
}

// Only regular files of a record's size are read, without waiting: a link to a device would be
// read without end, a pipe without a writer would hold the reader in its open, a huge file would
// be read whole. Each is skipped and counted; the records beside them are read.
TEST_F(ExchangeRecordsTest, WhatIsNoRecordFileIsSkippedAndCountedWithoutWaiting) {
    ASSERT_TRUE(writeRecord(sampleRecord(localTime(2024, 3, 5, 14, 7, 9, 421))));
    ASSERT_TRUE(writeRecord(sampleRecord(localTime(2024, 3, 9, 8, 0, 0, 0))));
    const QDir month(ExchangeRecords::monthFolder(root(), {2024, 3, 1}));
    const auto sized = [](qint64 size, QByteArray head) {
        return [size, head](const QString& p) {
            QFile f(p);
            return f.open(QIODevice::WriteOnly) && f.write(head) == head.size() && f.resize(size);
        };
    };
    // A record as it should be, but past the limit: blanks after it would still parse.
    QByteArray padded = sampleRecord(localTime(2024, 3, 6, 1, 0, 0, 0)).toJson();
    padded.append(QByteArray(ExchangeRecords::kMaxRecordBytes + 1 - padded.size(), ' '));
    const std::vector<std::pair<const char*, std::function<bool(const QString&)>>> kinds = {
        {"device.json", [](const QString& p) { return QFile::link("/dev/zero", p); }},
        {"pipe.json", [](const QString& p) { return ::mkfifo(QFile::encodeName(p), 0600) == 0; }},
        {"pipe-link.json", [](const QString& p) { return QFile::link("pipe.json", p); }},
        {"huge.json", sized(qint64(4) << 30, "{")},  // sparse: costs nothing to make
        {"padded.json", sized(padded.size(), padded)},
        {"folder.json", [](const QString& p) { return QDir().mkdir(p); }},
        {"dangling.json", [&](const QString& p) { return QFile::link(root() + "/none", p); }},
    };
    for (const auto& [name, make] : kinds) ASSERT_TRUE(make(month.filePath(name))) << name;
    FifoReleaser releaser(QFile::encodeName(month.filePath("pipe.json")));
    const HangGuard guard("reading a month beside a device and a pipe");
    int unreadable = 0;
    const QList<ExchangeRecord> read = ExchangeRecords::readMonth(root(), {2024, 3, 1}, &unreadable);
    EXPECT_FALSE(releaser.released()) << "waited in the open of a pipe";
    EXPECT_EQ(read.size(), 2);
    EXPECT_EQ(unreadable, int(kinds.size()));
}

// The month is that of the start in local time; a month reads in the order of the starts.
TEST_F(ExchangeRecordsTest, MonthOfTheLocalStartAndOrderOfStarts) {
    const QDateTime lastMs = localTime(2024, 1, 31, 23, 59, 59, 999);
    const QDateTime firstMs = localTime(2024, 2, 1, 0, 0, 0, 0);
    for (const QDateTime& start : {firstMs.addDays(3), lastMs, firstMs, lastMs.addDays(-30)})
        ASSERT_TRUE(writeRecord(sampleRecord(start)));
    const QList<ExchangeRecord> january = ExchangeRecords::readMonth(root(), {2024, 1, 1});
    const QList<ExchangeRecord> february = ExchangeRecords::readMonth(root(), {2024, 2, 1});
    ASSERT_EQ(january.size(), 2);
    ASSERT_EQ(february.size(), 2);
    EXPECT_EQ(january[0].start, lastMs.addDays(-30).toUTC());
    EXPECT_EQ(january[1].start, lastMs.toUTC());
    EXPECT_EQ(february[0].start, firstMs.toUTC());
    EXPECT_EQ(february[1].start, firstMs.addDays(3).toUTC());
    EXPECT_TRUE(ExchangeRecords::readMonth(root(), {2024, 3, 1}).isEmpty());
}

}  // namespace
