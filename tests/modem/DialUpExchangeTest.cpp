// A dial-up site's whole exchange against the fake modem: the worker as the windows run it and
// tabulon-collect as the timers run it, ended every way an exchange ends. Whatever ends it, the
// modem's log shows the hang-up after the call began.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "acquisition/AcquisitionThreadProc.h"
#include "acquisition/ReceiveControl.h"
#include "res/MessageStyle.h"
#include "tests/fakes/RecordingHost.h"
#include "tests/modem/ModemRig.h"
#include "tools/CalculatorSimulator.h"

using namespace std::chrono_literals;
using Answer = ModemCallScript::Answer;

namespace {

constexpr const char* kNumber = "5551234";
constexpr int kNoHandshake = 4;  // КСМ-Ж prints its forms unasked
constexpr int kHandshake = 0;    // КСМ-Р answers the office's handshake first

// What happens to the exchange, and when: the moment is the last thing the modem logged.
enum class Ending {
    Completes,  // the calculator sends its forms and the exchange ends by itself
    Fails,      // nothing answers on the call: no handshake reply
    Refused,    // the number is busy: no call at all
    Stop,       // "Стоп" in the windows, SIGTERM for the collector
    Close,      // the receiving window closed (the windows only)
};

struct PathCase {
    const char* name;
    bool collector;      // tabulon-collect as a process; else the worker in the windows' place
    Ending ending;
    const char* moment;  // for Stop and Close: the modem event they follow
    int exitCode;        // the collector's exit status
    ExchangeOutcome outcome;
    const char* after;  // the hang-up must follow the last event starting so
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.name;
}

ModemCallScript callScript(const PathCase& c, const std::string& calculator) {
    ModemCallScript s;
    s.delay = 50ms;
    if (c.ending == Ending::Refused) {
        s.answer = Answer::Busy;
    } else {
        // Stopped while dialling: the far end never answers.
        s.answer = std::string(c.moment) == "ATD" ? Answer::Silent : Answer::Connect;
        if (c.ending == Ending::Completes) s.peer = calculator;
    }
    return s;
}

class HangUpPath : public ::testing::TestWithParam<PathCase> {
protected:
    void SetUp() override {
        const PathCase& c = GetParam();
        CalculatorSimulatorOptions calc;
        calc.deviceType = kNoHandshake;
        calc.stream.forms = {"ВЕДОМОСТЬ N1\n", "Итого: 12,446 т"};
        calculator = std::make_unique<CalculatorSimulator>(calc);
        ASSERT_TRUE(calculator->start()) << calculator->error();
        ModemSimulatorOptions options = quickModem();
        options.numbers[kNumber] = callScript(c, calculator->slavePath());
        modem = std::make_unique<ModemSimulator>(options);
        ASSERT_TRUE(modem->start()) << modem->error();
    }

    int type() const { return GetParam().ending == Ending::Fails ? kHandshake : kNoHandshake; }

    // The worker on the modem's line, DTR wired to the fake, with the windows' answers: start,
    // then no further pass.
    ExchangeOutcome runInWindowsPlace() {
        const PathCase& c = GetParam();
        RecordingHost host;
        host.answer({msg::IDYES});  // start; then no further pass
        host.setDefaultAnswer(msg::IDNO);
        ReceiveControl rc;
        rc.m_pMainFrame = &host;
        rc.m_nDeviceType = DeviceType(type());
        rc.m_bReceiving = 1;
        DialPlan plan = quickPlan(kNumber);
        plan.dialTimeout = 30s;
        rc.m_dial = plan;
        const SerialOpener opener = [this](const std::string&, int) {
            SerialOpenResult r;
            r.port = openModemLine(*modem);
            r.stage = r.port ? SerialOpenResult::Stage::Ok : SerialOpenResult::Stage::Open;
            return r;
        };
        SteadyClock clock;
        ExchangeOutcome outcome = ExchangeOutcome::LineBroken;
        std::thread worker([&] { outcome = runExchange(rc, opener, clock); });
        if (c.ending == Ending::Stop || c.ending == Ending::Close) {
            EXPECT_TRUE(waitForEvent(*modem, c.moment)) << eventLog(modem->events());
            if (c.ending == Ending::Stop)
                rc.requestStop();
            else
                rc.requestAbort();
        }
        worker.join();
        return outcome;
    }

    // tabulon-collect on a book holding the site; SIGTERM at the moment for Stop.
    int runCollector() {
        const PathCase& c = GetParam();
        QFile book(dir.filePath("sites.toml"));
        EXPECT_TRUE(book.open(QIODevice::WriteOnly));
        book.write(QStringLiteral("[\"Котельная 7\"]\nmodem = \"%1\"\nphone = \"%2\"\ndevice = %3\n")
                       .arg(QString::fromStdString(modem->slavePath()), kNumber)
                       .arg(type())
                       .toUtf8());
        book.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TABULON_INI", dir.filePath("Tabulon.ini"));
        env.insert("HOME", dir.path());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(TABULON_COLLECT, {"--sites", book.fileName(), "--site", "Котельная 7", "--out",
                                  dir.filePath("archive"), "--wait", "10", "--json"});
        EXPECT_TRUE(p.waitForStarted());
        if (c.ending == Ending::Stop) {
            EXPECT_TRUE(waitForEvent(*modem, c.moment)) << eventLog(modem->events());
            ::kill(pid_t(p.processId()), SIGTERM);
        }
        EXPECT_TRUE(p.waitForFinished(60000));
        report = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    QTemporaryDir dir;
    std::unique_ptr<CalculatorSimulator> calculator;
    std::unique_ptr<ModemSimulator> modem;
    QJsonObject report;
};

TEST_P(HangUpPath, EndsWithTheModemOnHook) {
    const PathCase& c = GetParam();
    if (c.collector) {
        EXPECT_EQ(runCollector(), c.exitCode) << eventLog(modem->events());
        if (c.ending == Ending::Completes) {
            EXPECT_EQ(report["formsReceived"].toInt(), 2);
        }
    } else {
        EXPECT_EQ(runInWindowsPlace(), c.outcome) << eventLog(modem->events());
    }
    const std::vector<ModemEvent> events = modem->events();
    ASSERT_GE(lastEvent(events, c.after), 0) << eventLog(events);
    EXPECT_GT(lastEvent(events, "ATH"), lastEvent(events, c.after)) << eventLog(events);
    // The worker's line has DTR wired to the fake; a pseudo-terminal has none to drop.
    if (!c.collector) {
        EXPECT_GT(lastEvent(events, "DTR drop"), lastEvent(events, c.after)) << eventLog(events);
    }
    expectOnHookAfter(*modem, c.after);
}

constexpr const char* kCallUp = "-> CONNECT";

INSTANTIATE_TEST_SUITE_P(
    Paths, HangUpPath,
    ::testing::Values(
        PathCase{"CollectorCompletes", true, Ending::Completes, "", 0, {}, kCallUp},
        PathCase{"CollectorFailsOnTheCall", true, Ending::Fails, "", 4, {}, kCallUp},
        PathCase{"CollectorBusy", true, Ending::Refused, "", 12, {}, "ATD"},
        PathCase{"CollectorSigtermWhileDialling", true, Ending::Stop, "ATD", 9, {}, "ATD"},
        PathCase{"CollectorSigtermDuringCall", true, Ending::Stop, kCallUp, 9, {}, kCallUp},
        PathCase{"WindowsCompletes", false, Ending::Completes, "", 0,
                 ExchangeOutcome::FormsReceived, kCallUp},
        PathCase{"WindowsFailsOnTheCall", false, Ending::Fails, "", 0,
                 ExchangeOutcome::NoHandshake, kCallUp},
        PathCase{"WindowsStopWhileDialling", false, Ending::Stop, "ATD", 0,
                 ExchangeOutcome::StoppedByOperator, "ATD"},
        PathCase{"WindowsStopDuringCall", false, Ending::Stop, kCallUp, 0,
                 ExchangeOutcome::NothingReceived, kCallUp},
        PathCase{"WindowClosedWhileDialling", false, Ending::Close, "ATD", 0,
                 ExchangeOutcome::StoppedByOperator, "ATD"},
        PathCase{"WindowClosedDuringCall", false, Ending::Close, kCallUp, 0,
                 ExchangeOutcome::StoppedByOperator, kCallUp}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
