// A store that cannot take the forms: each way is told in Russian, without a password, and
// costs the archive nothing.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "store/ArchiveOutbox.h"
#include "store/StoreUploader.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/SilentListener.h"
#include "tests/store/StoreRig.h"

namespace {

struct Setting {
    PostgresServer& server;
    SilentListener& silent;
    QString address;
    QByteArray pgpass;  // the password file's lines
};

struct Failing {
    const char* name;
    void (*prepare)(Setting& s);
    const char* told;  // what the message says
};

void ownerMakesSchema(Setting& s) {
    SteadyClock clock;
    QTemporaryDir empty;
    StoreUploader(StoreAddress::fromText(s.server.localAddress("owner", "tabulon"), "t"),
                  empty.path(), clock)
        .drain(0);
}

const Failing kFailing[] = {
    {"wrongAddress",
     [](Setting& s) {
         s.address = QStringLiteral("host=127.0.0.1 port=%1 dbname=tabulon user=owner")
                         .arg(PostgresServer::freePort());
     },
     "недоступен"},
    {"wrongPassword",
     [](Setting& s) {
         s.address = s.server.tcpAddress("uploader", "tabulon");
         s.pgpass = "*:*:*:uploader:wrong-secret\n";
     },
     "не принял пароль роли «uploader»"},
    {"noPassword", [](Setting& s) { s.address = s.server.tcpAddress("uploader", "tabulon"); },
     "требует пароль роли «uploader»"},
    {"roleWithoutRights",
     [](Setting& s) {
         ownerMakesSchema(s);
         s.server.psql("GRANT SELECT ON ALL TABLES IN SCHEMA public TO uploader", "tabulon");
         s.address = s.server.tcpAddress("uploader", "tabulon");
         s.pgpass = "*:*:*:uploader:upload-secret\n";
     },
     "У роли «uploader» нет права на таблицу «machines»"},
    {"noSchemaNoRightToMakeIt",
     [](Setting& s) {
         s.address = s.server.tcpAddress("uploader", "tabulon");
         s.pgpass = "*:*:*:uploader:upload-secret\n";
     },
     "ещё не создан, а у роли «uploader» нет права его создать"},
    {"acceptsAndNeverAnswers",
     [](Setting& s) {
         s.address = QStringLiteral("host=127.0.0.1 port=%1 dbname=tabulon user=owner")
                         .arg(s.silent.port());
     },
     "не отвечает"},
};

class StoreFailure : public testing::TestWithParam<Failing> {};

TEST_P(StoreFailure, ToldInRussianNothingLostNothingBlocked) {
    PostgresServer server;
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    storeRig::makeStore(server);
    SilentListener silent;
    Setting setting{server, silent, {}, {}};
    GetParam().prepare(setting);
    QTemporaryDir home, archive;
    const QString pgpass = home.filePath("pgpass");
    writeAll(pgpass, setting.pgpass);
    QFile::setPermissions(pgpass, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    qputenv("PGPASSFILE", pgpass.toUtf8());
    qunsetenv("PGPASSWORD");
    storeRig::writeForms(archive.path(), "Котельная", 3);

    FakeClock clock;
    StoreUploader uploader(StoreAddress::fromText(setting.address, "test"), archive.path(), clock);
    uploader.setTimeoutMs(300);
    QStringList logged;
    uploader.setLog([&](const QString& line) { logged << line; });
    const StoreUploader::Report r = uploader.drain(5000);
    qunsetenv("PGPASSFILE");

    EXPECT_TRUE(r.failure.contains(QString::fromUtf8(GetParam().told))) << r.failure.toStdString();
    for (const QString& line : logged + QStringList{r.failure})
        EXPECT_FALSE(line.contains("secret")) << line.toStdString();
    EXPECT_EQ(r.formsLeft, 3);
    EXPECT_EQ(r.recordsLeft, 1);
    EXPECT_EQ(ArchiveOutbox::backlog(archive.path()).forms, 3);
    EXPECT_EQ(QDir(archive.path() + "/Котельная/2026-11").entryList(QDir::Files).size(), 3);
}

INSTANTIATE_TEST_SUITE_P(Ways, StoreFailure, testing::ValuesIn(kFailing),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
