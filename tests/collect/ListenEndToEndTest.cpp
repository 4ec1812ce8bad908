// tabulon-collect --listen as systemd runs it: the program itself, modems played by the test
// over TCP, the simulated calculator behind one of them on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "archive/ArchiveName.h"
#include "archive/ExchangeRecord.h"
#include "archive/UnknownCallers.h"
#include "tests/collect/PlayedModem.h"
#include "tests/fakes/TestFiles.h"
#include "tools/CalculatorSimulator.h"
#include "tools/Ser2netServer.h"

namespace {

const std::vector<std::string> kForms = {"СУТОЧНАЯ ВЕДОМОСТЬ N1\nТемпература подачи 94,21\n",
                                         "Итого: 12,446 т"};
const QString kSite = QStringLiteral("Котельная 3");

class Listen : public ::testing::Test {
protected:
    void SetUp() override {
        QFile book(dir.filePath("sites.toml"));
        ASSERT_TRUE(book.open(QIODevice::WriteOnly));
        book.write("[\"Котельная 3\"]\nhello = \"ID:0042\"\nheartbeat = \"0x00FF00\"\n"
                   "device = 0\nspeed = 9600\n");
        book.close();
        port = unusedLoopbackPort();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TABULON_INI", dir.filePath("Tabulon.ini"));
        env.insert("HOME", dir.path());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        service.setProcessEnvironment(env);
        service.setStandardErrorFile(dir.filePath("log"));
        service.start(TABULON_COLLECT,
                      {"--listen", QStringLiteral("127.0.0.1:%1").arg(port), "--sites",
                       dir.filePath("sites.toml"), "--out", archive(), "--wait", "3"});
        ASSERT_TRUE(within([&] { return loopbackPortListens(port); }))
            << journal().toStdString();
    }
    QString journal() const {
        QFile file(dir.filePath("log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // SIGTERM, as systemd stops it: the exit status.
    int stop() {
        service.terminate();
        EXPECT_TRUE(service.waitForFinished(20000));
        log = journal();
        return service.exitStatus() == QProcess::NormalExit ? service.exitCode() : -1;
    }
    QString archive() const { return dir.filePath("archive"); }
    QList<ExchangeRecord> records() const {
        return ExchangeRecords::readMonth(archive(), QDate::currentDate());
    }

    QTemporaryDir dir;
    QProcess service;
    int port = 0;
    QString log;
};

TEST_F(Listen, knownModemIsReadAndItsHeartbeatNeverReachesTheForms) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = kForms;
    CalculatorSimulator calculator(o);
    ASSERT_TRUE(calculator.start()) << calculator.error();
    PlayedModem modem(port);
    modem.send("ID:0042\r\n");
    modem.bridge(calculator.slavePath(), QByteArray("\x00\xff\x00", 3), 10);
    ASSERT_TRUE(within([&] { return !records().isEmpty(); }, 60000))
        << journal().toStdString();
    EXPECT_EQ(stop(), 0);

    const QList<ExchangeRecord> kept = records();
    ASSERT_EQ(kept.size(), 1) << log.toStdString();
    EXPECT_EQ(kept[0].site, kSite);
    EXPECT_EQ(kept[0].outcome, RecordOutcome::FormsReceived) << log.toStdString();
    ASSERT_EQ(kept[0].forms.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QString path = QDir(archive()).filePath(kept[0].forms[i].file);
        EXPECT_TRUE(path.contains(ArchiveName::siteFolder(kSite))) << path.toStdString();
        QFile form(path);
        ASSERT_TRUE(form.open(QIODevice::ReadOnly));
        EXPECT_EQ(form.readAll(), archivedForm(QString::fromStdString(kForms[i])));
    }
    EXPECT_EQ(calculator.report().echoErrors, 0u);
}

TEST_F(Listen, unknownCallerIsClosedAndKeptForTheMonth) {
    PlayedModem stranger(port);
    stranger.send("GET / HTTP/1.0\r\n");
    EXPECT_TRUE(stranger.closedByOffice());
    ASSERT_TRUE(within([&] {
        return !UnknownCallers::readMonth(archive(), QDate::currentDate()).isEmpty();
    }));
    EXPECT_EQ(stop(), 0);
    const QList<UnknownCaller> callers = UnknownCallers::readMonth(archive(), QDate::currentDate());
    ASSERT_EQ(callers.size(), 1);
    EXPECT_EQ(callers[0].address, "127.0.0.1");
    EXPECT_EQ(callers[0].sent, "GET / HTTP/1.0\r\n");
    EXPECT_TRUE(log.contains("47 45 54")) << log.toStdString();  // the hex of what it sent
    EXPECT_TRUE(records().isEmpty());
}

TEST_F(Listen, secondConnectionReplacesTheFirstAndStopEndsBoth) {
    PlayedModem first(port);
    first.send("ID:0042");
    // The office speaks first: its handshake byte says the exchange began.
    EXPECT_FALSE(first.receive(20000).isEmpty());
    PlayedModem second(port);
    second.send("ID:0042");
    EXPECT_TRUE(first.closedByOffice());
    EXPECT_FALSE(second.receive(20000).isEmpty());
    EXPECT_EQ(stop(), 0);
    EXPECT_TRUE(second.closedByOffice(1000));
    // Both exchanges ended as stopped ones, each with its record.
    EXPECT_EQ(records().size(), 2) << log.toStdString();
}

}  // namespace
