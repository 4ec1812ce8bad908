// tabulon-collect and the common archive, as a timer starts it: the program itself, a simulated
// calculator and a real PostgreSQL.
#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <thread>

#include "tests/fakes/PostgresServer.h"
#include "tests/store/StoreRig.h"
#include "tools/CalculatorSimulator.h"

namespace {

struct Ran {
    int exitCode = -1;
    QJsonObject json;
    QString err;
};

class CollectUpload : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.ok()) << m_server.error().toStdString();
        storeRig::makeStore(m_server);
        m_env.insert("HOME", m_dir.path());
        m_env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        m_env.insert("TABULON_INI", m_dir.filePath("Tabulon.ini"));
        m_env.insert("TABULON_STORE", m_server.localAddress("owner", "tabulon"));
    }
    std::unique_ptr<QProcess> start(QStringList args) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(m_env);
        p->start(TABULON_COLLECT, args << "--out" << archive() << "--json");
        EXPECT_TRUE(p->waitForStarted());
        return p;
    }
    static Ran finish(QProcess& p) {
        EXPECT_TRUE(p.waitForFinished(120000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QJsonDocument::fromJson(p.readAllStandardOutput()).object(),
                QString::fromUtf8(p.readAllStandardError())};
    }
    Ran collect(const QStringList& args) { return finish(*start(args)); }
    QString archive() const { return m_dir.filePath("archive"); }
    int forms() { return storeRig::count(m_server, "SELECT count(*) FROM forms").toInt(); }

    PostgresServer m_server;
    QTemporaryDir m_dir;
    QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();
};

struct StoreCase {
    const char* name;
    bool storeUp;
    int sent, left;
    const char* told;
};

class CollectThenUpload : public CollectUpload, public testing::WithParamInterface<StoreCase> {};

// The collection ends as it would without a store: a store away costs it nothing, and the
// report says what is left for later.
TEST_P(CollectThenUpload, ExchangeUntouchedReportSaysWhatWasSent) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = {"СУТОЧНАЯ ВЕДОМОСТЬ N1\n", "Итого: 12,446 т"};
    CalculatorSimulator sim(o);
    ASSERT_TRUE(sim.start()) << sim.error();
    m_env.insert("TABULON_COM1", QString::fromStdString(sim.slavePath()));
    if (!GetParam().storeUp)
        m_env.insert("TABULON_STORE", QStringLiteral("host=127.0.0.1 port=%1 dbname=tabulon")
                                          .arg(PostgresServer::freePort()));
    const Ran run = collect({"--port", "COM1", "--device", "0", "--speed", "9600", "--wait", "1",
                             "--upload-wait", "0"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject store = run.json["store"].toObject();
    EXPECT_EQ(store["formsSent"].toInt(), GetParam().sent);
    EXPECT_EQ(store["formsLeft"].toInt(), GetParam().left);
    EXPECT_EQ(store["recordsLeft"].toInt(), GetParam().left ? 1 : 0);
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(GetParam().told))) << run.err.toStdString();
    if (GetParam().storeUp) EXPECT_EQ(forms(), 2);
}

INSTANTIATE_TEST_SUITE_P(Store, CollectThenUpload,
                         testing::Values(StoreCase{"up", true, 2, 0,
                                                   "отправлено форм 2, записей 1"},
                                         StoreCase{"away", false, 0, 2, "недоступен"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Killed with SIGKILL in the middle of --upload and run again: every form once.
TEST_F(CollectUpload, KilledUploaderRunAgainSendsEveryFormOnce) {
    constexpr int kForms = 4000;
    storeRig::writeForms(archive(), "Котельная", kForms);
    auto p = start({"--upload"});
    int atKill = 0;
    while ((atKill = forms()) == 0 && p->state() == QProcess::Running)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(pid_t(p->processId()), SIGKILL);
    p->waitForFinished();
    EXPECT_LT(atKill, kForms) << "killed in the middle";
    const Ran again = collect({"--upload"});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.json["store"].toObject()["formsLeft"].toInt(), 0);
    EXPECT_EQ(forms(), kForms);
}

TEST_F(CollectUpload, UploadWithoutAStoreIsAWrongCommandLine) {
    m_env.remove("TABULON_STORE");
    m_env.insert("TABULON_SITES", m_dir.filePath("sites.toml"));
    const Ran run = collect({"--upload"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("Общий архив не задан")) << run.err.toStdString();
}

}  // namespace
