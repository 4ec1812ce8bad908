// A month's book with every kind of site, read as the office runs it: one `tabulon-collect --all`
// over four lines and a dial-up modem, and one `--listen` service a GPRS modem calls in to.
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "archive/ArchiveName.h"
#include "archive/ExchangeRecord.h"
#include "tests/collect/PlayedModem.h"
#include "tests/fakes/TestArchive.h"
#include "tests/fakes/TestFiles.h"
#include "tools/CalculatorSimulator.h"
#include "tools/ModemSimulator.h"
#include "tools/Ser2netServer.h"

namespace {

std::unique_ptr<CalculatorSimulator> calculator(const std::string& form) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = {form};
    auto sim = std::make_unique<CalculatorSimulator>(o);
    EXPECT_TRUE(sim->start()) << sim->error();
    return sim;
}

ModemCallScript answer(ModemCallScript::Answer how, std::string peer = {}) {
    ModemCallScript s;
    s.answer = how;
    s.delay = std::chrono::milliseconds(100);
    s.peer = std::move(peer);
    return s;
}

QString formOf(const QString& site) {
    return QStringLiteral("ВЕДОМОСТЬ ") + site;
}

const QStringList kLineSites = {"Линия 1", "Линия 2", "Линия 3", "Линия 4"};

// The book, its calculators and the modem: four lines with a calculator on each, a fifth
// calculator behind the modem's number and another behind the modem that calls in.
class RemoteSites : public ::testing::Test {
protected:
    void SetUp() override {
        env.insert("TABULON_INI", dir.filePath("Tabulon.ini"));
        env.insert("HOME", dir.path());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("TABULON_LOCK_DIR", dir.path());
        QByteArray book;
        for (int i = 0; i < 4; ++i) {
            sims.push_back(calculator(formOf(kLineSites[i]).toStdString()));
            env.insert(QStringLiteral("TABULON_COM%1").arg(i + 1),
                       QString::fromStdString(sims.back()->slavePath()));
            book += QStringLiteral("[\"%1\"]\nport = \"COM%2\"\ndevice = 0\nspeed = 9600\n")
                        .arg(kLineSites[i])
                        .arg(i + 1)
                        .toUtf8();
        }
        ModemSimulatorOptions m;
        m.numbers["5551234"] = answer(ModemCallScript::Answer::Connect, dialled->slavePath());
        m.numbers["5550000"] = answer(ModemCallScript::Answer::Busy);
        modem = std::make_unique<ModemSimulator>(m);
        ASSERT_TRUE(modem->start()) << modem->error();
        env.insert("TABULON_COM5", QString::fromStdString(modem->slavePath()));
        book +=
            "[\"Дальняя\"]\nmodem = \"COM5\"\nphone = \"5551234\"\ndevice = 0\n"
            "[\"Занятая\"]\nmodem = \"COM5\"\nphone = \"5550000\"\ndevice = 0\n"
            "[\"Звонящая\"]\nhello = \"ID:0042\"\ndevice = 0\nspeed = 9600\n";
        QFile file(bookPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(book);
    }

    QString bookPath() const { return dir.filePath("sites.toml"); }
    QString archive() const { return dir.filePath("archive"); }
    QString serviceLog() const { return QString::fromUtf8(readAll(dir.filePath("service.log"))); }
    void start(QProcess& collector, QStringList args) {
        collector.setProcessEnvironment(env);
        collector.start(TABULON_COLLECT, args << "--sites" << bookPath() << "--out" << archive()
                                              << "--wait"
                                              << "1");
    }
    QMap<QString, ExchangeRecord> records() const {
        QMap<QString, ExchangeRecord> bySite;
        for (const ExchangeRecord& r : archivedRecords(archive())) bySite[r.site] = r;
        return bySite;
    }
    // Each call, the one that came up and the busy one, ended with ATH.
    void expectHangUpAfterEachCall() const {
        const std::vector<ModemEvent> events = modem->events();
        std::string log;
        for (const ModemEvent& e : events) log += e.text + " | ";
        int dials = 0;
        for (auto at = events.begin(); at != events.end(); ++at) {
            if (!at->text.starts_with("ATD")) continue;
            ++dials;
            const auto next = std::find_if(at + 1, events.end(), [](const ModemEvent& e) {
                return e.text.starts_with("ATD") || e.text.starts_with("ATH");
            });
            EXPECT_TRUE(next != events.end() && next->text.starts_with("ATH")) << log;
        }
        EXPECT_EQ(dials, 2) << log;
    }

    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    std::vector<std::unique_ptr<CalculatorSimulator>> sims;
    const std::unique_ptr<CalculatorSimulator> dialled =
        calculator(formOf("Дальняя").toStdString());
    const std::unique_ptr<CalculatorSimulator> callingIn =
        calculator(formOf("Звонящая").toStdString());
    std::unique_ptr<ModemSimulator> modem;
};

TEST_F(RemoteSites, OneRoundAndOneServiceReadEveryKindOfSite) {
    QProcess service;
    service.setStandardErrorFile(dir.filePath("service.log"));
    const int port = unusedLoopbackPort();
    start(service, {"--listen", QStringLiteral("127.0.0.1:%1").arg(port)});
    ASSERT_TRUE(within([&] { return loopbackPortListens(port); })) << serviceLog().toStdString();
    QProcess round;
    start(round, {"--all", "--json"});
    PlayedModem gprs(port);
    gprs.send("ID:0042\r\n");
    gprs.bridge(callingIn->slavePath(), {}, 0);

    ASSERT_TRUE(round.waitForFinished(60000));
    const std::string roundLog = round.readAllStandardError().toStdString();
    ASSERT_TRUE(within([&] { return records().contains("Звонящая"); }, 30000))
        << serviceLog().toStdString();
    service.terminate();
    ASSERT_TRUE(service.waitForFinished(20000));
    EXPECT_EQ(service.exitCode(), 0) << serviceLog().toStdString();

    // The round reports the sites it read in the book's order; the busy number is a failure of
    // its own, recorded with the modem's word for it.
    const QJsonArray reported =
        QJsonDocument::fromJson(round.readAllStandardOutput()).object()["sites"].toArray();
    ASSERT_EQ(reported.size(), 6) << roundLog;
    EXPECT_EQ(reported[5]["outcome"].toString(), "busy");
    EXPECT_NE(round.exitCode(), 0);
    const QMap<QString, ExchangeRecord> kept = records();
    ASSERT_EQ(kept.size(), 7) << roundLog;
    EXPECT_EQ(kept["Занятая"].outcome, RecordOutcome::DialBusy);
    for (const QString& site : kLineSites + QStringList{"Дальняя", "Звонящая"}) {
        const ExchangeRecord& r = kept[site];
        EXPECT_EQ(r.outcome, RecordOutcome::FormsReceived) << site.toStdString() << roundLog;
        ASSERT_EQ(r.forms.size(), 1) << site.toStdString();
        EXPECT_TRUE(r.forms[0].file.contains(ArchiveName::siteFolder(site)))
            << r.forms[0].file.toStdString();
        EXPECT_EQ(readAll(QDir(archive()).filePath(r.forms[0].file)), archivedForm(formOf(site)));
    }
    expectHangUpAfterEachCall();
    EXPECT_FALSE(modem->offHook());
}

}  // namespace
