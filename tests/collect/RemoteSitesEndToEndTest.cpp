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

TEST(RemoteSites, OneRoundAndOneServiceReadEveryKindOfSite) {
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TABULON_INI", dir.filePath("Tabulon.ini"));
    env.insert("HOME", dir.path());
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("TABULON_LOCK_DIR", dir.path());

    // Four lines, a calculator on each; a fifth behind the modem's number, a sixth behind the
    // modem that calls in.
    QByteArray book;
    std::vector<std::unique_ptr<CalculatorSimulator>> sims;
    const QStringList lineSites = {"Линия 1", "Линия 2", "Линия 3", "Линия 4"};
    for (int i = 0; i < 4; ++i) {
        sims.push_back(calculator(formOf(lineSites[i]).toStdString()));
        env.insert(QStringLiteral("TABULON_COM%1").arg(i + 1),
                   QString::fromStdString(sims.back()->slavePath()));
        book += QStringLiteral("[\"%1\"]\nport = \"COM%2\"\ndevice = 0\nspeed = 9600\n")
                    .arg(lineSites[i])
                    .arg(i + 1)
                    .toUtf8();
    }
    const auto dialled = calculator(formOf("Дальняя").toStdString());
    const auto callingIn = calculator(formOf("Звонящая").toStdString());
    ModemSimulatorOptions m;
    m.numbers["5551234"] = answer(ModemCallScript::Answer::Connect, dialled->slavePath());
    m.numbers["5550000"] = answer(ModemCallScript::Answer::Busy);
    ModemSimulator modem(m);
    ASSERT_TRUE(modem.start()) << modem.error();
    env.insert("TABULON_COM5", QString::fromStdString(modem.slavePath()));
    book +=
        "[\"Дальняя\"]\nmodem = \"COM5\"\nphone = \"5551234\"\ndevice = 0\n"
        "[\"Занятая\"]\nmodem = \"COM5\"\nphone = \"5550000\"\ndevice = 0\n"
        "[\"Звонящая\"]\nhello = \"ID:0042\"\ndevice = 0\nspeed = 9600\n";
    const QString bookPath = dir.filePath("sites.toml");
    QFile bookFile(bookPath);
    ASSERT_TRUE(bookFile.open(QIODevice::WriteOnly));
    bookFile.write(book);
    bookFile.close();
    const QString archive = dir.filePath("archive");

    QProcess service;
    service.setProcessEnvironment(env);
    service.setStandardErrorFile(dir.filePath("service.log"));
    const int port = unusedLoopbackPort();
    service.start(TABULON_COLLECT, {"--listen", QStringLiteral("127.0.0.1:%1").arg(port), "--sites",
                                    bookPath, "--out", archive, "--wait", "1"});
    ASSERT_TRUE(within([&] { return loopbackPortListens(port); }));
    QProcess round;
    round.setProcessEnvironment(env);
    round.start(TABULON_COLLECT,
                {"--all", "--sites", bookPath, "--out", archive, "--wait", "1", "--json"});
    PlayedModem gprs(port);
    gprs.send("ID:0042\r\n");
    gprs.bridge(callingIn->slavePath(), {}, 0);

    ASSERT_TRUE(round.waitForFinished(60000));
    const QByteArray roundLog = round.readAllStandardError();
    const auto recordsOf = [&] {
        QMap<QString, ExchangeRecord> bySite;
        for (const ExchangeRecord& r : archivedRecords(archive)) bySite[r.site] = r;
        return bySite;
    };
    ASSERT_TRUE(within([&] { return recordsOf().contains("Звонящая"); }, 30000))
        << readAll(dir.filePath("service.log")).toStdString();
    service.terminate();
    ASSERT_TRUE(service.waitForFinished(20000));
    EXPECT_EQ(service.exitCode(), 0) << readAll(dir.filePath("service.log")).toStdString();

    // The round's report lists the sites it read in the book's order; the busy number is a
    // failure of its own, with the modem's word for it.
    const QJsonArray reported =
        QJsonDocument::fromJson(round.readAllStandardOutput()).object()["sites"].toArray();
    ASSERT_EQ(reported.size(), 6) << roundLog.toStdString();
    EXPECT_EQ(reported[5]["site"].toString(), "Занятая");
    EXPECT_EQ(reported[5]["outcome"].toString(), "busy");
    EXPECT_NE(round.exitCode(), 0);

    const QMap<QString, ExchangeRecord> records = recordsOf();
    ASSERT_EQ(records.size(), 7) << roundLog.toStdString();
    EXPECT_EQ(records["Занятая"].outcome, RecordOutcome::DialBusy);
    EXPECT_TRUE(records["Занятая"].forms.isEmpty());
    for (const QString& site : lineSites + QStringList{"Дальняя", "Звонящая"}) {
        const ExchangeRecord& r = records[site];
        EXPECT_EQ(r.outcome, RecordOutcome::FormsReceived)
            << site.toStdString() << roundLog.toStdString();
        ASSERT_EQ(r.forms.size(), 1) << site.toStdString();
        EXPECT_TRUE(r.forms[0].file.contains(ArchiveName::siteFolder(site)))
            << r.forms[0].file.toStdString();
        EXPECT_EQ(readAll(QDir(archive).filePath(r.forms[0].file)), archivedForm(formOf(site)))
            << site.toStdString();
    }

    // Each call, the one that came up and the busy one, ended with ATH, and no modem is left
    // off-hook.
    const std::vector<ModemEvent> events = modem.events();
    int dials = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (!events[i].text.starts_with("ATD")) continue;
        ++dials;
        const auto next =
            std::find_if(events.begin() + long(i) + 1, events.end(), [](const ModemEvent& e) {
                return e.text.starts_with("ATD") || e.text.starts_with("ATH");
            });
        ASSERT_NE(next, events.end()) << events[i].text;
        EXPECT_TRUE(next->text.starts_with("ATH")) << "no hang-up after " << events[i].text;
    }
    std::string log;
    for (const ModemEvent& e : events) log += e.text + " | ";
    EXPECT_EQ(dials, 2) << log;
    EXPECT_FALSE(modem.offHook());
}

}  // namespace
