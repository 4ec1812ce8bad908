// "Сбор за месяц" with a common archive: every machine's exchanges, told as they arrive, and
// this machine's own when the store is gone.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <atomic>

#include "res/Texts.h"
#include "sites/MonthRoundSource.h"
#include "store/StoreUploadThread.h"
#include "store/StoreUploader.h"
#include "tests/fakes/SilentListener.h"
#include "tests/store/StoreRig.h"

namespace {

const QDate kMonth(2026, 11, 1);

class MonthRoundStore : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.ok()) << m_server.error().toStdString();
        storeRig::makeStore(m_server);
    }
    StoreAddress store() const {
        return StoreAddress::fromText(m_server.localAddress("owner", "tabulon"), "test");
    }
    // What a machine with the archive at `root` sends.
    void upload(const QString& root) {
        SteadyClock clock;
        StoreUploader uploader(store(), root, clock);
        const StoreUploader::Report report = uploader.drain(0);
        ASSERT_TRUE(report.complete()) << report.failure.toStdString();
    }
    MonthRoundSource source(const QString& root) {
        return MonthRoundSource(m_dir.filePath("sites.toml"), root, store());
    }
    static const MonthRoundRow* row(const MonthRoundSource::Loaded& loaded, const QString& site) {
        for (const MonthRoundRow& r : loaded.rows)
            if (r.site == site) return &r;
        return nullptr;
    }

    PostgresServer m_server;
    QTemporaryDir m_dir, m_here, m_there;
};

// Another machine's exchange is a row here; one both archives hold (a shared folder, a
// restore) counts once; what this archive has not sent is said.
TEST_F(MonthRoundStore, RowsOfEveryMachineEachExchangeOnce) {
    storeRig::writeForms(m_there.path(), "ЦТП 2", 3);
    storeRig::writeForms(m_there.path(), "Котельная №1", 4);
    upload(m_there.path());
    storeRig::writeForms(m_here.path(), "Котельная №1", 4);  // the same exchange
    storeRig::writeForms(m_here.path(), "Насосная", 2, 0, 30);

    const MonthRoundSource::Loaded loaded = source(m_here.path()).load(kMonth);
    EXPECT_TRUE(loaded.storeProblem.isEmpty()) << loaded.storeProblem.toStdString();
    const struct {
        const char* site;
        int forms;
    } expected[] = {{"ЦТП 2", 3}, {"Котельная №1", 4}, {"Насосная", 2}};
    for (const auto& e : expected) {
        const MonthRoundRow* r = row(loaded, e.site);
        ASSERT_TRUE(r) << e.site;
        EXPECT_EQ(r->forms, e.forms) << e.site;
    }
    EXPECT_EQ(loaded.formsUnsent, 6);
    EXPECT_EQ(loaded.recordsUnsent, 2);
    EXPECT_EQ(MonthRoundSource::storeLine(loaded), texts::kStoreBacklog.arg(6).arg(2));
}

// An open month hears of a record another machine sends, and of none it merely re-sends.
TEST_F(MonthRoundStore, NotificationReachesAnOpenMonth) {
    MonthRoundSource open = source(m_here.path());
    std::atomic<int> heard{0};
    open.listen([&heard] { ++heard; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.load() > 0; }, 20000));  // the first LISTEN
    const int before = heard.load();
    storeRig::writeForms(m_there.path(), "ЦТП 2", 2);
    upload(m_there.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.load() > before; }, 20000));
    EXPECT_NE(row(open.load(kMonth), "ЦТП 2"), nullptr);
    open.stopListening();
}

// The windows' upload on its thread: woken, it sends what came since and says nothing is left.
TEST_F(MonthRoundStore, UploadThreadSendsWhenWoken) {
    std::atomic<int> left{-1};
    StoreUploadThread thread(store(), m_here.path(), [&left](const StoreUploadThread::Left& l) {
        left = l.failure.isEmpty() ? l.forms + l.records : -2;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return left.load() == 0; }, 20000));
    storeRig::writeForms(m_here.path(), "ЦТП 2", 5);
    left = -1;
    thread.wake();
    ASSERT_TRUE(QTest::qWaitFor([&] { return left.load() == 0; }, 20000));
    EXPECT_EQ(storeRig::count(m_server, "SELECT count(*) FROM forms"), "5");
}

// A store that cannot be read: this archive's rows, and the window says why in the words of
// what failed.
struct Down {
    const char* name;
    // What happens to the store; the address the window reads it at then.
    QString (*happen)(PostgresServer& server, const SilentListener& silent);
    const char* told;
};
const Down kDown[] = {
    {"serverStopped",
     [](PostgresServer& server, const SilentListener&) {
         server.stop();
         return server.localAddress("owner", "tabulon");
     },
     "недоступен"},
    {"noRight",
     [](PostgresServer& server, const SilentListener&) {
         server.psql("REVOKE SELECT ON exchanges FROM owner", "tabulon");
         return server.localAddress("owner", "tabulon");
     },
     "нет права на таблицу «exchanges»"},
    // No password file holds the role's password.
    {"noPassword",
     [](PostgresServer& server, const SilentListener&) {
         return server.tcpAddress("uploader", "tabulon");
     },
     "требует пароль роли «uploader»"},
    {"acceptsAndNeverAnswers",
     [](PostgresServer&, const SilentListener& silent) {
         return QStringLiteral("host=127.0.0.1 port=%1 dbname=tabulon user=owner")
             .arg(silent.port());
     },
     "не отвечает"},
};

class MonthRoundStoreDown : public MonthRoundStore, public testing::WithParamInterface<Down> {};

TEST_P(MonthRoundStoreDown, LocalRowsAndTheReason) {
    storeRig::writeForms(m_there.path(), "ЦТП 2", 3);
    upload(m_there.path());
    storeRig::writeForms(m_here.path(), "Насосная", 2);
    SilentListener silent;
    const StoreAddress address =
        StoreAddress::fromText(GetParam().happen(m_server, silent), "test");
    qputenv("PGPASSFILE", m_dir.filePath("no-pgpass").toUtf8());
    qunsetenv("PGPASSWORD");

    const MonthRoundSource::Loaded loaded =
        MonthRoundSource(m_dir.filePath("sites.toml"), m_here.path(), address).load(kMonth);
    qunsetenv("PGPASSFILE");
    EXPECT_NE(row(loaded, "Насосная"), nullptr);
    EXPECT_EQ(row(loaded, "ЦТП 2"), nullptr);
    EXPECT_TRUE(loaded.storeProblem.contains(QString::fromUtf8(GetParam().told)))
        << loaded.storeProblem.toStdString();
    EXPECT_TRUE(MonthRoundSource::storeLine(loaded).startsWith(
        texts::kStoreMonthLocalOnly.arg(loaded.storeProblem)));
}

INSTANTIATE_TEST_SUITE_P(Ways, MonthRoundStoreDown, testing::ValuesIn(kDown),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
