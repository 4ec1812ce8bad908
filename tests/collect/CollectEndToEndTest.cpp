#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <memory>

#include "tests/fakes/TestArchive.h"
#include "tests/fakes/TestFiles.h"
#include "tools/CalculatorSimulator.h"

namespace {

const std::vector<std::string> kForms = {"СУТОЧНАЯ ВЕДОМОСТЬ N1\nТемпература подачи 94,21\n",
                                         "Итого: 12,446 т"};

// A form as the archive must hold it: cp1251, line breaks CR LF.
QByteArray archived(const std::string& form) {
    return archivedForm(QString::fromStdString(form));
}

struct Outcome {
    int exitCode = -1;
    QByteArray out, err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

class CollectTest : public ::testing::Test {
protected:
    // A calculator on its own pseudo-terminal, reached as COM<n>.
    void calculator(CalculatorSimulatorOptions o, int com = 1) {
        auto sim = std::make_unique<CalculatorSimulator>(std::move(o));
        ASSERT_TRUE(sim->start()) << sim->error();
        env.insert(QStringLiteral("TABULON_COM%1").arg(com),
                   QString::fromStdString(sim->slavePath()));
        sims.push_back(std::move(sim));
    }

    // The program with its configuration file, profile and archive in the test's folder.
    std::unique_ptr<QProcess> start(QStringList args) {
        env.insert("TABULON_INI", env.value("TABULON_INI", dir.filePath("Tabulon.ini")));
        env.insert("HOME", dir.path());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("TABULON_LOCK_DIR", dir.path());  // the lines' locks, as /var/lock holds them
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->start(TABULON_COLLECT, args << "--out" << archive() << "--json");
        EXPECT_TRUE(p->waitForStarted());
        return p;
    }
    static Outcome finish(QProcess& p) {
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardOutput(), p.readAllStandardError()};
    }
    Outcome collect(const QStringList& args) {
        auto p = start(args);
        return finish(*p);
    }

    QString archive() const { return dir.filePath("archive"); }
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    std::vector<std::unique_ptr<CalculatorSimulator>> sims;
};

CalculatorSimulatorOptions calc(int type, std::vector<std::string> forms = kForms) {
    CalculatorSimulatorOptions o;
    o.deviceType = type;
    o.stream.forms = std::move(forms);
    return o;
}

class CollectTypes : public CollectTest, public ::testing::WithParamInterface<int> {};

TEST_P(CollectTypes, EveryFormArchivedAndReported) {
    calculator(calc(GetParam()));
    env.insert("TZ", "Asia/Yekaterinburg");
    const Outcome run = collect({"--port", "COM1", "--device", QString::number(GetParam()),
                                 "--speed", "9600", "--wait", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList files = archiveFiles(archive());
    ASSERT_EQ(files.size(), 2);
    const QJsonArray forms = run.json()["forms"].toArray();
    ASSERT_EQ(forms.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(readAll(files[i]), archived(kForms[i]));
        EXPECT_EQ(forms[i]["file"].toString(), files[i]);
        EXPECT_EQ(forms[i]["size"].toInt(), archived(kForms[i]).size());
    }
    EXPECT_EQ(run.json()["outcome"].toString(), "forms");
    EXPECT_TRUE(run.json()["started"].toString().endsWith("+05:00")) << "a time says its zone";
    const QList<ExchangeRecord> records = archivedRecords(archive());
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].outcome, RecordOutcome::FormsReceived);
    EXPECT_EQ(records[0].port, "COM1");
    EXPECT_EQ(records[0].speed, 9600);
    EXPECT_EQ(records[0].bytes, run.json()["bytes"].toInteger());
    ASSERT_EQ(records[0].forms.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(QDir(archive()).filePath(records[0].forms[i].file), files[i]);
        EXPECT_EQ(records[0].forms[i].size, archived(kForms[i]).size());
    }
    EXPECT_TRUE(readAll(run.json()["record"].toString()).contains("+05:00\""))
        << "local times say their zone";
    EXPECT_GT(run.json()["bytes"].toInt(), 60);
    EXPECT_EQ(run.json()["passes"].toInt(), 2) << "the second pass brought nothing new";
    EXPECT_TRUE(run.err.contains("Связь с вычислителем установлена. Начать прием данных? Да"));
    EXPECT_TRUE(sims[0]->waitFinished(std::chrono::seconds(5)));
    EXPECT_EQ(sims[0]->report().echoErrors + sims[0]->report().echoesMissing, 0u);
}

INSTANTIATE_TEST_SUITE_P(Collect, CollectTypes, ::testing::Values(0, 4, 5));

struct FailureCase {
    const char* title;
    std::function<void(CalculatorSimulatorOptions&)> calculator;  // null: no calculator
    QStringList args;
    int exitCode;
    const char* message;  // on standard error
    bool noIni = false;   // Tabulon.ini can be neither read nor written
    bool archiveBlocked = false;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.title;
}

class CollectFailures : public CollectTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CollectFailures, EachEndHasItsExitStatus) {
    if (GetParam().calculator) {
        CalculatorSimulatorOptions o = calc(0);
        GetParam().calculator(o);
        calculator(o);
    }
    if (GetParam().noIni) env.insert("TABULON_INI", dir.filePath("gone/Tabulon.ini"));
    if (GetParam().archiveBlocked) {
        QFile blocker(archive());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where the folder should be";
    }
    const Outcome run = collect(GetParam().args);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(QString::fromUtf8(GetParam().message)))
        << run.err.toStdString();
    EXPECT_EQ(run.json()["exitCode"].toInt(-1), GetParam().exitCode) << "every end has its report";
    // Every exchange tried leaves one record, where the archive can be written, and it tells
    // the same end as the exit status; an unwritable settings file is no failure of collection.
    const QList<ExchangeRecord> records = archivedRecords(archive());
    ASSERT_EQ(records.size(), GetParam().exitCode == 2 || GetParam().archiveBlocked ? 0 : 1);
    if (!records.isEmpty()) {
        const int expected = GetParam().exitCode == 8 ? 0 : GetParam().exitCode;
        EXPECT_EQ(recordOutcomeExitCode(records[0].outcome), expected);
    }
    if (GetParam().exitCode == 10) {
        const QStringList lines = QString::fromUtf8(run.err).trimmed().split('\n');
        EXPECT_TRUE(lines.last().startsWith("Итог: ФОРМЫ ПОТЕРЯНЫ")) << lines.last().toStdString();
    }
}

const QStringList kCom1 = {"--port", "COM1", "--device", "КСМ-Р", "--speed", "9600", "--wait", "1"};
const QStringList kCom1Type4 = {"--port",  "COM1", "--device", "КСМ-Ж",
                                "--speed", "9600", "--wait",   "1"};

INSTANTIATE_TEST_SUITE_P(
    Collect, CollectFailures,
    ::testing::Values(
        FailureCase{"Nothing", [](auto& o) { o.deviceType = 4, o.stream.forms.clear(); },
                    kCom1Type4, 1, "Чтение данных в объеме 0 байт завершено. Продолжить? Нет"},
        FailureCase{
            "Usage", nullptr, {"--speed", "1"}, 2, "Неправильно задана скорость обмена данными"},
        FailureCase{"Open",
                    nullptr,
                    {"--port", "/nonexistent/tty", "--device", "0", "--speed", "9600"},
                    3,
                    "Ошибка при инициализации COM-порта"},
        FailureCase{"NoReply", [](auto& o) { o.reply = CalculatorSimulatorOptions::Reply::None; },
                    kCom1, 4, "Связь с вычислителем не установлена"},
        FailureCase{"BadReply",
                    [](auto& o) {
                        o.reply = CalculatorSimulatorOptions::Reply::Custom;
                        o.customReply = {0x55, 0x00};
                    },
                    kCom1, 5, "Ошибка при приеме данных от вычислителя"},
        FailureCase{"LineBroken", [](auto& o) { o.deviceType = 4, o.vanishAfter = 30; }, kCom1Type4,
                    7, "Связь с вычислителем нарушена"},
        FailureCase{"SettingsNotWritable", [](auto& o) { o.deviceType = 4; }, kCom1Type4, 8,
                    "Невозможно открыть файл Tabulon.ini", true},
        FailureCase{"NoPortWithoutTheIni",
                    nullptr,
                    {"--device", "0", "--speed", "9600", "--wait", "1"},
                    2,
                    "Порт не задан: файл Tabulon.ini не прочитан",
                    true},
        // A lost form outranks every other end, and the last line says so.
        FailureCase{"LostFormOutranksSettings", [](auto& o) { o.deviceType = 4; }, kCom1Type4, 10,
                    "кроме того: файл Tabulon.ini не удалось записать", true, true},
        FailureCase{"LostFormOutranksBrokenLine",
                    [](auto& o) { o.deviceType = 4, o.vanishAfter = 30, o.bytesPerSecond = 300; },
                    kCom1Type4, 10, "кроме того: линия оборвалась", false, true}),
    [](const auto& info) { return std::string(info.param.title); });

TEST_F(CollectTest, TerminatedMidFormKeepsWhatCameAndClosesTheLine) {
    CalculatorSimulatorOptions o = calc(0, {std::string(3000, 'z')});
    o.bytesPerSecond = 400;
    calculator(o);
    auto p = start(kCom1);
    // Well into the form, which is far from its end.
    for (int i = 0; i < 100 && sims[0]->report().bytesSent < 300; ++i) QThread::msleep(50);
    p->terminate();
    const Outcome run = finish(*p);
    EXPECT_EQ(run.exitCode, 9) << run.err.toStdString();
    const QStringList files = archiveFiles(archive());
    ASSERT_EQ(files.size(), 1);
    const QByteArray kept = readAll(files[0]);
    EXPECT_GE(kept.size(), 300);
    EXPECT_LT(kept.size(), 3000);
    EXPECT_EQ(kept, QByteArray(kept.size(), 'z'));
    const QJsonArray forms = run.json()["forms"].toArray();
    ASSERT_EQ(forms.size(), 1);
    EXPECT_FALSE(forms[0]["complete"].toBool());
    EXPECT_EQ(forms[0]["size"].toInt(), kept.size());
    EXPECT_TRUE(sims[0]->waitFinished(std::chrono::seconds(5))) << "the line was let go";
    EXPECT_TRUE(run.err.contains("записана в архив НЕ ПОЛНОСТЬЮ")) << run.err.toStdString();
    const QList<ExchangeRecord> records = archivedRecords(archive());
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].outcome, RecordOutcome::StoppedByOperator);
    EXPECT_EQ(records[0].forms.size(), 1);
    EXPECT_EQ(records[0].forms.value(0).size, kept.size());
}

// A collection nobody would know of is as bad as a lost form: the same exit status.
TEST_F(CollectTest, RecordThatCannotBeWrittenFailsTheCollection) {
    calculator(calc(4));
    ASSERT_TRUE(QDir().mkpath(archive()));
    QFile blocker(QDir(archive()).filePath(".exchanges"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Outcome run = collect(kCom1Type4);
    EXPECT_EQ(run.exitCode, 10) << run.err.toStdString();
    EXPECT_EQ(run.json()["formsLost"].toInt(-1), 0);
    EXPECT_EQ(archiveFiles(archive()).size(), 2) << "the forms are kept all the same";
    const QStringList lines = QString::fromUtf8(run.err).trimmed().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[lines.size() - 2].startsWith("Запись о сеансе связи не сохранена: "))
        << lines[lines.size() - 2].toStdString();
    EXPECT_EQ(lines.last(), "Итог: ЗАПИСЬ О СЕАНСЕ НЕ СОХРАНЕНА; форм: 2, байт с линии: " +
                                QString::number(run.json()["bytes"].toInt()));
}

// A calculator that stops for 3 s inside a form, within its type's 5 s: --wait 2 bounds only
// the wait for a pass's first byte, so nothing of the form is left behind.
TEST_F(CollectTest, PauseInsideAFormOutlastingTheWaitKeepsTheForm) {
    CalculatorSimulatorOptions o = calc(0);
    o.pauseAfter = 20;
    o.pauseFor = std::chrono::milliseconds(2000);
    calculator(o);
    const Outcome run =
        collect({"--port", "COM1", "--device", "0", "--speed", "9600", "--wait", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList files = archiveFiles(archive());
    ASSERT_EQ(files.size(), 2) << run.err.toStdString();
    EXPECT_EQ(readAll(files[0]), archived(kForms[0]));
    EXPECT_EQ(readAll(files[1]), archived(kForms[1]));
    EXPECT_EQ(run.json()["passes"].toInt(), 2);
    EXPECT_TRUE(sims[0]->waitFinished(std::chrono::seconds(5)));
    EXPECT_EQ(sims[0]->report().streamsCompleted, 1);
}

// `tabulon-collect ... 2>&1 >report.json | head -n1`: the journal's reader goes away after the
// first line, and the exchange goes on to its end.
TEST_F(CollectTest, ReaderOfTheLogGoneKeepsTheExchange) {
    calculator(calc(4));
    QStringList args = kCom1Type4;
    args << "--out" << archive() << "--json";
    env.insert("TABULON_INI", dir.filePath("Tabulon.ini"));
    env.insert("REPORT", dir.filePath("report.json"));
    QProcess shell;
    shell.setProcessEnvironment(env);
    shell.start("bash", QStringList{"-c",
                                    "\"$0\" \"$@\" 2>&1 >\"$REPORT\" | head -n1 >/dev/null;"
                                    "exit ${PIPESTATUS[0]}",
                                    TABULON_COLLECT}
                            << args);
    const Outcome run = finish(shell);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(archiveFiles(archive()).size(), 2);
    const QJsonObject report =
        QJsonDocument::fromJson(readAll(dir.filePath("report.json"))).object();
    EXPECT_EQ(report["outcome"].toString(), "forms");
    EXPECT_EQ(report["forms"].toArray().size(), 2);
}

// A listener that accepts and never answers: an RFC 2217 server that leaves the settings open.
class SilentServer {
public:
    SilentServer() {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&a), size);
        ::listen(m_listener, 1);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &size);
        m_port = ntohs(a.sin_port);
    }
    ~SilentServer() {
        if (m_peer >= 0) ::close(m_peer);
        ::close(m_listener);
    }
    int port() const { return m_port; }
    // True once a client has connected and spoken (its Telnet negotiation).
    bool heardClient() {
        if (m_peer < 0) {
            pollfd p{m_listener, POLLIN, 0};
            if (::poll(&p, 1, 0) == 1) m_peer = ::accept(m_listener, nullptr, nullptr);
        }
        char bytes[256];
        if (m_peer >= 0 && ::recv(m_peer, bytes, sizeof bytes, MSG_DONTWAIT) > 0) m_heard = true;
        return m_heard;
    }

private:
    int m_listener = -1, m_peer = -1, m_port = 0;
    bool m_heard = false;
};

// SIGTERM ends the collector within half a second, wherever the line keeps it waiting.
class CollectTerminated : public CollectTest {
protected:
    Outcome terminateWhen(const QStringList& args, const std::function<bool()>& ready) {
        auto p = start(args);
        for (int i = 0; i < 200 && !ready(); ++i) QThread::msleep(20);
        EXPECT_TRUE(ready()) << "the collector never got there";
        const Outcome run = terminate(*p);
        EXPECT_EQ(run.json()["outcome"].toString(), "interrupted");
        return run;
    }

    // Sends SIGTERM now; the collector must be gone with exit 9 within half a second.
    Outcome terminate(QProcess& process) {
        QElapsedTimer timer;
        timer.start();
        process.terminate();
        const Outcome run = finish(process);
        EXPECT_LT(timer.elapsed(), 500) << run.err.toStdString();
        EXPECT_EQ(run.exitCode, 9) << run.err.toStdString();
        return run;
    }
};

TEST_F(CollectTerminated, DuringTheHandshake) {
    CalculatorSimulatorOptions o = calc(0);
    o.reply = CalculatorSimulatorOptions::Reply::None;
    calculator(o);
    terminateWhen(kCom1, [&] { return sims[0]->report().handshakesSeen == 1; });
}

// How often the threads of process `pid` have gone to sleep and been woken so far.
long wakeups(qint64 pid) {
    long total = 0;
    QDirIterator tasks(QStringLiteral("/proc/%1/task").arg(pid), QDir::Dirs | QDir::NoDotAndDotDot);
    while (tasks.hasNext()) {
        QFile status(tasks.next() + "/status");
        if (!status.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                total += line.mid(24).trimmed().toLong();
    }
    return total;
}

// A pass waiting long for its first byte costs nothing: nobody looks at a flag in turns, and
// the signal itself wakes the collector.
TEST_F(CollectTerminated, ASilentPassSleepsUntilTheSignal) {
    calculator(calc(0, {}));
    auto p = start({"--port", "COM1", "--device", "0", "--speed", "9600", "--wait", "60"});
    for (int i = 0; i < 200 && sims[0]->report().handshakesSeen == 0; ++i) QThread::msleep(20);
    QThread::msleep(300);  // well into the pass
    const long before = wakeups(p->processId());
    QThread::msleep(1000);
    EXPECT_LT(wakeups(p->processId()) - before, 10) << "a second of silence";
    terminate(*p);
}

TEST_F(CollectTerminated, WhileTheServerLeavesTheSettingsUnanswered) {
    SilentServer server;
    terminateWhen({"--port", QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.port()),
                   "--device", "0", "--speed", "9600"},
                  [&] { return server.heardClient(); });
}

// A raw server behind a dead link: its accept queue is full, so the connection request goes
// unanswered for as long as the connect limit.
TEST_F(CollectTerminated, WhileARawConnectHangs) {
    SilentServer server;
    std::vector<int> queued;
    for (int i = 0; i < 4; ++i) {
        queued.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(quint16(server.port()));
        ::connect(queued.back(), reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    QElapsedTimer waited;
    waited.start();
    terminateWhen({"--port", QStringLiteral("tcp://127.0.0.1:%1").arg(server.port()), "--device",
                   "0", "--speed", "9600"},
                  [&] { return waited.elapsed() > 500; });
    for (int fd : queued) ::close(fd);
}

TEST_F(CollectTest, TwoLinesAtOnceIntoOneArchive) {
    calculator(calc(4), 1);
    calculator(calc(4, {"вторая линия"}), 2);
    auto first = start({"--port", "COM1", "--device", "КСМ-Ж", "--speed", "9600", "--wait", "1"});
    auto second = start({"--port", "COM2", "--device", "КСМ-Ж", "--speed", "9600", "--wait", "1"});
    const Outcome a = finish(*first), b = finish(*second);
    EXPECT_EQ(a.exitCode, 0) << a.err.toStdString();
    EXPECT_EQ(b.exitCode, 0) << b.err.toStdString();
    const QStringList files = archiveFiles(archive());
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(files.filter("_COM1_").size(), 2);
    ASSERT_EQ(files.filter("_COM2_").size(), 1);
    EXPECT_EQ(readAll(files.filter("_COM2_")[0]), archived("вторая линия"));
}

// A collector killed while archiving leaves its temporary files; the next run in that folder
// turns the one with text into a form marked cut short, removes the empty one, and says so.
// These are named as the version before named them, by a pid alone, and so are taken only once
// untouched for a day.
TEST_F(CollectTest, LeftoversOfAKilledRunAreRecoveredAndLogged) {
    QProcess killed;
    killed.start("sleep", {"0.05"});
    ASSERT_TRUE(killed.waitForStarted());
    const qint64 pid = killed.processId();
    ASSERT_TRUE(killed.waitForFinished());
    const QDir month(QDir(archive()).filePath("2026-12"));
    ASSERT_TRUE(QDir().mkpath(month.path()));
    for (const auto& [n, text] : {std::pair{1, QByteArray("half a form")}, {2, QByteArray()}}) {
        QFile f(month.filePath(QStringLiteral(".tabulon-%1-%2.part").arg(pid).arg(n)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.flush();
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addDays(-2),
                                  QFileDevice::FileModificationTime));
    }
    calculator(calc(4));
    const Outcome run = collect(kCom1Type4);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString err = QString::fromUtf8(run.err);
    EXPECT_TRUE(err.contains(QStringLiteral(".tabulon-%1-1.part восстановлена").arg(pid)))
        << run.err.toStdString();
    EXPECT_TRUE(
        err.contains(QStringLiteral("удален: %1")
                         .arg(month.filePath(QStringLiteral(".tabulon-%1-2.part").arg(pid)))))
        << run.err.toStdString();
    const QStringList recovered = archiveFiles(archive()).filter("-неполная.txt");
    ASSERT_EQ(recovered.size(), 1);
    EXPECT_EQ(readAll(recovered[0]), "half a form");
    EXPECT_EQ(archiveFiles(archive()).size(), 3);
    EXPECT_TRUE(month.entryList({".tabulon-*"}, QDir::Files | QDir::Hidden).isEmpty());
}

// The site book: a round over every site, and the tries of a line that fails.
class CollectSites : public CollectTest {
protected:
    QString writeBook(const QByteArray& toml) {
        const QString path = dir.filePath("sites.toml");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(toml);
        return path;
    }
};

TEST_F(CollectSites, OneSiteFailingLeavesTheOthersCollected) {
    calculator(calc(4), 1);
    calculator(calc(4, {"вторая линия"}), 2);
    const QString book = writeBook(
        "[\"Котельная 1\"]\nport = \"COM1\"\ndevice = 4\n"
        "[\"ЦТП 2\"]\nport = \"/dev/tabulon-none\"\ndevice = 0\n"
        "[\"Школа\"]\nport = \"COM2\"\ndevice = \"КСМ-Ж\"\n");
    const Outcome run = collect({"--all", "--sites", book, "--wait", "1"});
    EXPECT_EQ(run.exitCode, 11) << run.err.toStdString();
    const QJsonArray sites = run.json()["sites"].toArray();
    ASSERT_EQ(sites.size(), 3);
    const char* names[] = {"Котельная 1", "ЦТП 2", "Школа"};
    const int status[] = {0, 3, 0}, forms[] = {2, 0, 1};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sites[i]["site"].toString(), QString::fromUtf8(names[i]));
        EXPECT_EQ(sites[i]["exitStatus"].toInt(), status[i]);
        EXPECT_EQ(sites[i]["forms"].toInt(), forms[i]);
        EXPECT_EQ(sites[i]["tries"].toInt(), 1);
    }
    EXPECT_EQ(run.json()["outcome"].toString(), "partial");
    EXPECT_EQ(archiveFiles(archive()).filter("/Котельная 1/").size(), 2);
    ASSERT_EQ(archiveFiles(archive()).filter("/Школа/").size(), 1);
    EXPECT_EQ(readAll(archiveFiles(archive()).filter("/Школа/")[0]), archived("вторая линия"));
}

struct ChoiceCase {
    const char* title;
    QByteArray book;
    QStringList args;
    const char* message;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) {
    *os << c.title;
}

class CollectSiteChoice : public CollectSites, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(CollectSiteChoice, IsAWrongCommandLine) {
    const Outcome run = collect(QStringList{"--sites", writeBook(GetParam().book)} << GetParam().args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(QString::fromUtf8(GetParam().message)))
        << run.err.toStdString();
    EXPECT_EQ(run.json()["exitCode"].toInt(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Collect, CollectSiteChoice,
    ::testing::Values(ChoiceCase{"UnknownSite",
                                 "[\"А\"]\nport = \"COM1\"\n",
                                 {"--site", "Б"},
                                 "Объекта «Б» нет в книге объектов"},
                      ChoiceCase{"EmptyBook", "# пусто\n", {"--all"}, "нет ни одного объекта"},
                      ChoiceCase{"MissingBook",
                                 "",
                                 {"--all", "--sites", "/nonexistent/sites.toml"},
                                 "Файл объектов /nonexistent/sites.toml не найден"},
                      ChoiceCase{
                          "BadBook", "[\"А\"]\nport = COM1\n", {"--site", "А"}, "sites.toml"}),
    [](const auto& info) { return std::string(info.param.title); });

// The adapter is plugged in while the collector waits to try again.
TEST_F(CollectSites, LineThatAppearsLateIsReadOnTheSecondTry) {
    calculator(calc(4));
    const QString late = dir.filePath("ttyLate");
    auto p = start({"--port", late, "--device", "4", "--speed", "9600", "--wait", "1", "--retry",
                    "2", "--retry-delay", "1"});
    p->setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("Попытка 1 из 3 не удалась") && p->waitForReadyRead(5000))
        err += p->readAllStandardError();
    ASSERT_TRUE(QFile::link(QString::fromStdString(sims[0]->slavePath()), late));
    const Outcome run = finish(*p);
    EXPECT_EQ(run.exitCode, 0) << (err + run.err).toStdString();
    EXPECT_EQ(run.json()["tries"].toInt(), 2);
    EXPECT_EQ(archiveFiles(archive()).size(), 2);
}

// A delay of 0 still pauses a second; the tries share one record.
TEST_F(CollectSites, EveryTryLoggedUntilTheyRunOut) {
    const Outcome run = collect({"--port", "/nonexistent/tty", "--device", "0", "--speed", "9600",
                                 "--retry", "1", "--retry-delay", "0"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.json()["tries"].toInt(), 2);
    const QString err = QString::fromUtf8(run.err);
    EXPECT_EQ(err.count("Ошибка при инициализации COM-порта"), 2) << run.err.toStdString();
    EXPECT_TRUE(err.contains("Попытка 1 из 2 не удалась (COM-порт не удалось открыть или "
                             "настроить); следующая через 1 с"))
        << run.err.toStdString();
    EXPECT_TRUE(err.trimmed().endsWith("попыток: 2")) << run.err.toStdString();
    QDirIterator records(QDir(archive()).filePath(".exchanges"), {"*.json"}, QDir::Files,
                         QDirIterator::Subdirectories);
    QStringList found;
    while (records.hasNext()) found << records.next();
    ASSERT_EQ(found.size(), 1) << "one record for the tries of one collection";
    QFile record(found[0]);
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_EQ(ExchangeRecord::fromJson(record.readAll())->tries, 2);
}

// Every line at once, the sites of one line in turn; a silent line holds up no other. The
// second site of the line of COM2 names its device directly: the same line all the same.
TEST_F(CollectSites, RoundReadsEveryLineAtOnce) {
    CalculatorSimulatorOptions silent = calc(0);
    silent.reply = CalculatorSimulatorOptions::Reply::None;
    calculator(silent, 1);
    CalculatorSimulatorOptions twice = calc(4);
    twice.exchanges = 2;
    calculator(twice, 2);
    calculator(calc(4, {"третья линия"}), 3);
    const QByteArray pty = QByteArray::fromStdString(sims[1]->slavePath());
    const QString book = writeBook(
        "[\"Тихий\"]\nport = \"COM1\"\ndevice = 5\n"
        "[\"А1\"]\nport = \"COM2\"\ndevice = 4\n"
        "[\"Б\"]\nport = \"COM3\"\ndevice = 4\n"
        "[\"А2\"]\nport = \"" + pty + "\"\ndevice = 4\n");
    const Outcome run = collect({"--all", "--sites", book, "--wait", "1"});
    EXPECT_EQ(run.exitCode, 11) << run.err.toStdString();
    const QJsonArray sites = run.json()["sites"].toArray();
    ASSERT_EQ(sites.size(), 4);
    const char* names[] = {"Тихий", "А1", "Б", "А2"};
    const int status[] = {4, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sites[i]["site"].toString(), QString::fromUtf8(names[i])) << "the book's order";
        EXPECT_EQ(sites[i]["exitStatus"].toInt(), status[i]) << names[i];
    }
    EXPECT_EQ(sims[1]->report().streamsCompleted, 2);
    QMap<QString, ExchangeRecord> records;
    for (const ExchangeRecord& r : archivedRecords(archive())) records[r.site] = r;
    ASSERT_EQ(records.size(), 4);
    for (const char* fast : {"А1", "Б", "А2"})
        EXPECT_LT(records[QString::fromUtf8(fast)].end, records["Тихий"].end) << fast;
    EXPECT_GE(records["А2"].start, records["А1"].end) << "one line, one exchange at a time";
    EXPECT_TRUE(run.err.contains("[Б] Форма 1 записана")) << run.err.toStdString();
}

// A second collector on a line in use waits for it, up to --line-wait, and never touches it.
TEST_F(CollectTest, TwoCollectorsNeverShareALine) {
    CalculatorSimulatorOptions o = calc(0);
    o.exchanges = 2;
    o.pauseAfter = 10;
    o.pauseFor = std::chrono::milliseconds(2000);
    calculator(o);
    const QString link = dir.filePath("by-id");
    ASSERT_TRUE(QFile::link(QString::fromStdString(sims[0]->slavePath()), link));
    const QStringList line = {"--device", "0", "--speed", "9600", "--wait", "1"};
    auto first = start(QStringList{"--port", "COM1"} << line);
    for (int i = 0; i < 250 && sims[0]->report().handshakesSeen == 0; ++i) QThread::msleep(20);
    auto patient = start(QStringList{"--port", link, "--line-wait", "60"} << line);
    const Outcome busy = collect(QStringList{"--port", link, "--line-wait", "0"} << line);
    EXPECT_EQ(busy.exitCode, 3) << busy.err.toStdString();
    EXPECT_TRUE(busy.err.contains("занят другой программой")) << busy.err.toStdString();
    const Outcome a = finish(*first), b = finish(*patient);
    EXPECT_EQ(a.exitCode, 0) << a.err.toStdString();
    EXPECT_EQ(b.exitCode, 0) << b.err.toStdString();
    EXPECT_TRUE(b.err.contains("Линия занята другим обменом: ожидание до 60 с"))
        << "the log says why nothing happens yet\n" << b.err.toStdString();
    EXPECT_FALSE(busy.err.contains("ожидание")) << "no wait, no word of one";
    EXPECT_EQ(sims[0]->report().exchanges, 2) << "the busy one never opened the line";
    EXPECT_EQ(sims[0]->report().streamsCompleted, 2);
}

// A stop ends the site being read at once, and no site after it on its line is tried.
TEST_F(CollectTerminated, DuringARoundTheSitesAfterAreNotTried) {
    CalculatorSimulatorOptions o = calc(0);
    o.reply = CalculatorSimulatorOptions::Reply::None;
    calculator(o);
    QFile book(dir.filePath("sites.toml"));
    ASSERT_TRUE(book.open(QIODevice::WriteOnly));
    book.write("[\"А\"]\nport = \"COM1\"\ndevice = 0\n[\"Б\"]\nport = \"COM1\"\ndevice = 0\n");
    book.close();
    const Outcome run = terminateWhen({"--all", "--sites", book.fileName(), "--retry", "3"},
                                      [&] { return sims[0]->report().handshakesSeen == 1; });
    const QJsonArray sites = run.json()["sites"].toArray();
    ASSERT_EQ(sites.size(), 2);
    EXPECT_EQ(sites[0]["tries"].toInt(), 1);
    EXPECT_EQ(sites[1]["tries"].toInt(), 0);
    EXPECT_EQ(sites[1]["outcome"].toString(), "interrupted");
}

// A stop reaches the exchange of every line under way, not only the first's.
TEST_F(CollectTerminated, DuringARoundOnSeveralLinesAtOnce) {
    CalculatorSimulatorOptions o = calc(0);
    o.reply = CalculatorSimulatorOptions::Reply::None;
    calculator(o, 1);
    calculator(o, 2);
    QFile book(dir.filePath("sites.toml"));
    ASSERT_TRUE(book.open(QIODevice::WriteOnly));
    book.write("[\"А\"]\nport = \"COM1\"\ndevice = 5\n[\"Б\"]\nport = \"COM2\"\ndevice = 5\n");
    book.close();
    const Outcome run = terminateWhen({"--all", "--sites", book.fileName()}, [&] {
        return sims[0]->report().handshakesSeen == 1 && sims[1]->report().handshakesSeen == 1;
    });
    const QJsonArray sites = run.json()["sites"].toArray();
    ASSERT_EQ(sites.size(), 2);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(sites[i]["tries"].toInt(), 1) << i;
}

// The pause before another try ends at once too; the failure of the line is what is reported.
TEST_F(CollectTerminated, WhileWaitingToTryAgain) {
    auto p = start({"--port", "/dev/tabulon-none", "--device", "0", "--speed", "9600", "--retry",
                    "2", "--retry-delay", "60"});
    p->setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("Попытка 1 из 3 не удалась") && p->waitForReadyRead(5000))
        err += p->readAllStandardError();
    QElapsedTimer timer;
    timer.start();
    p->terminate();
    const Outcome run = finish(*p);
    EXPECT_LT(timer.elapsed(), 500);
    EXPECT_EQ(run.exitCode, 3) << (err + run.err).toStdString();
    EXPECT_EQ(run.json()["tries"].toInt(), 1);
    EXPECT_TRUE(QString::fromUtf8(run.err).contains("Повторы прекращены: получен сигнал остановки"))
        << run.err.toStdString();
}

}  // namespace
