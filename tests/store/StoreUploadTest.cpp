// Sending an archive to the common archive: every form and record once, whatever happens
// between sends.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QTemporaryDir>
#include <thread>

#include "store/ArchiveOutbox.h"
#include "store/SentLedger.h"
#include "store/StoreUploader.h"
#include "tests/fakes/FakeClock.h"
#include "tests/store/StoreRig.h"

namespace {

using storeRig::count;

class StoreUpload : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.ok()) << m_server.error().toStdString();
        storeRig::makeStore(m_server);
    }
    StoreAddress owner() const {
        return StoreAddress::fromText(m_server.localAddress("owner", "tabulon"), "test");
    }
    StoreUploader::Report drain(const QString& root, std::int64_t waitMs = 0) {
        SteadyClock clock;
        StoreUploader uploader(owner(), root, clock);
        return uploader.drain(waitMs);
    }
    QString forms() { return count(m_server, "SELECT count(*) FROM forms"); }

    PostgresServer m_server;
    QTemporaryDir m_archive;
};

// Another machine's copy of the archive, made as a restore makes it: the files' times those of
// the copy, an hour on.
void copyArchive(const QString& root, const QString& other) {
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        if (from.contains("/.store/")) continue;
        const QString to = other + '/' + QDir(root).relativeFilePath(from);
        QDir().mkpath(QFileInfo(to).path());
        QFile::copy(from, to);
        QFile copy(to);
        copy.open(QIODevice::ReadWrite);
        copy.setFileTime(QFileInfo(from).lastModified().addSecs(3600),
                         QFileDevice::FileModificationTime);
    }
}

// What may happen to an archive between two sends, after which the store still holds each
// form once.
struct Between {
    const char* name;
    void (*happen)(const QString& root, const QString& other);
    bool otherSends;  // the copy sends instead of the archive
    // The operator's name template; a name without the time leaves only the file's to go by.
    const char* names = "{date}_{time}_{port}_{device}_{n}.txt";
};

const Between kBetween[] = {
    {"nothing", [](const QString&, const QString&) {}, false},
    // A kill between the store's commit and the ledger's write, or a ledger deleted.
    {"ledgerLost",
     [](const QString& root, const QString&) { QDir(root + "/.store").removeRecursively(); },
     false},
    // Two machines sharing a folder, or the archive restored elsewhere with new file times.
    {"copiedElsewhere", copyArchive, true},
    {"copiedElsewhereNamesWithoutTime", copyArchive, true, "{site}_{n}.txt"},
};

class StoreResend : public StoreUpload, public testing::WithParamInterface<Between> {};

TEST_P(StoreResend, EveryFormAndRecordOnce) {
    const QString names = QString::fromUtf8(GetParam().names);
    storeRig::writeForms(m_archive.path(), "Котельная №1", 30, 0, 0, names);
    storeRig::writeForms(m_archive.path(), "ЦТП 2", 5, 100, 0, names);
    EXPECT_EQ(ArchiveOutbox::backlog(m_archive.path()).forms, 35);
    const StoreUploader::Report first = drain(m_archive.path());
    EXPECT_TRUE(first.failure.isEmpty()) << first.failure.toStdString();
    EXPECT_EQ(first.formsSent, 35);
    EXPECT_EQ(first.recordsSent, 2);
    EXPECT_TRUE(first.complete());
    EXPECT_EQ(ArchiveOutbox::backlog(m_archive.path()).forms, 0);

    QTemporaryDir other;
    GetParam().happen(m_archive.path(), other.path());
    drain(GetParam().otherSends ? other.path() : m_archive.path());
    EXPECT_EQ(forms(), "35");
    EXPECT_EQ(count(m_server, "SELECT count(*) FROM exchanges"), "2");
    // The record's fields stand in the form's row, its text as Unicode.
    EXPECT_EQ(count(m_server,
                    "SELECT count(*) FROM forms WHERE site = 'Котельная №1' AND speed = 9600"
                    " AND device = 'КСМ-Р' AND body LIKE 'ОТЧЁТ Котельная №1%'"),
              "30");
}

INSTANTIATE_TEST_SUITE_P(Between, StoreResend, testing::ValuesIn(kBetween),
                         [](const auto& info) { return std::string(info.param.name); });

// The server stopped as by a crash in the middle of a send and started again: the send goes on
// after its pause and every form is there exactly once.
TEST_F(StoreUpload, ServerKilledMidUploadLosesAndDoublesNothing) {
    constexpr int kForms = 4000;
    storeRig::writeForms(m_archive.path(), "Котельная", kForms);
    std::thread sender([&] {
        const StoreUploader::Report r = drain(m_archive.path(), 120000);
        EXPECT_TRUE(r.complete()) << r.failure.toStdString();
    });
    int atKill = 0;
    while ((atKill = forms().toInt()) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(m_server.stop(true));
    EXPECT_LT(atKill, kForms);  // killed in the middle indeed
    ASSERT_TRUE(m_server.start());
    sender.join();
    EXPECT_EQ(forms(), QString::number(kForms));
    EXPECT_EQ(count(m_server, "SELECT count(DISTINCT (hash, site, received)) FROM forms"),
              QString::number(kForms));
}

// Two machines with archives of their own, overlapping, and a third sharing the first one's
// folder, all sending at once.
TEST_F(StoreUpload, ThreeUploadersAtOnce) {
    QTemporaryDir second;
    storeRig::writeForms(m_archive.path(), "Котельная", 600);
    storeRig::writeForms(second.path(), "Котельная", 300);  // the same 300 forms
    storeRig::writeForms(second.path(), "ЦТП", 400, 5000);  // and its own
    std::vector<std::thread> senders;
    for (const QString& root : {m_archive.path(), second.path(), m_archive.path()})
        senders.emplace_back([this, root] {
            const StoreUploader::Report r = drain(root, 60000);
            EXPECT_TRUE(r.complete()) << r.failure.toStdString();
        });
    for (std::thread& t : senders) t.join();
    EXPECT_EQ(forms(), "1000");
    EXPECT_EQ(count(m_server, "SELECT count(*) FROM machines"), "1");
}

// The role of the manual's GRANTs sends, once the owner has made the schema.
TEST_F(StoreUpload, GrantedRoleSendsWhatTheOwnerMade) {
    storeRig::writeForms(m_archive.path(), "Котельная", 3);
    QTemporaryDir empty;
    ASSERT_TRUE(drain(empty.path()).failure.isEmpty());  // the owner makes the schema
    m_server.psql(
        "GRANT SELECT, INSERT ON ALL TABLES IN SCHEMA public TO uploader;"
        "GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO uploader",
        "tabulon");
    QTemporaryDir home;
    const QString pgpass = home.filePath("pgpass");
    writeAll(pgpass, QByteArray("127.0.0.1:*:tabulon:uploader:upload-secret\n"));
    QFile::setPermissions(pgpass, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    qputenv("PGPASSFILE", pgpass.toUtf8());
    SteadyClock clock;
    StoreUploader uploader(
        StoreAddress::fromText(m_server.tcpAddress("uploader", "tabulon"), "test"),
        m_archive.path(), clock);
    const StoreUploader::Report r = uploader.drain(0);
    qunsetenv("PGPASSFILE");
    EXPECT_TRUE(r.complete()) << r.failure.toStdString();
    EXPECT_EQ(forms(), "3");
}

}  // namespace
