#include <gtest/gtest.h>

#include <QApplication>
#include <QDirIterator>
#include <QMainWindow>
#include <QMdiArea>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <atomic>
#include <set>
#include <thread>

#include "acquisition/ExchangeOutcome.h"
#include "acquisition/FormAssembler.h"
#include "acquisition/ReceiveControl.h"
#include "archive/ArchiveName.h"
#include "archive/ArchiveSettings.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "frames/ProgressStrip.h"
#include "frames/WorkerCalls.h"
#include "res/MessageStyle.h"
#include "res/Texts.h"
#include "settings/SettingsDlg.h"
#include "acquisition/AcquisitionThreadProc.h"
#include "tests/fakes/DialogAnswerer.h"
#include "tests/modem/ModemRig.h"
#include "tools/CalculatorSimulator.h"

namespace {

// Runs `work` on a thread of its own, as the worker runs, and serves its calls meanwhile.
void runAsWorker(const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    while (!done) QApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
}

struct Windows {
    QMainWindow mainWindow;
    QMdiArea area{&mainWindow};
    ReceiveControl rc;
    ProgressStrip strip;
    CFormTemplate forms{&area, &rc};
    CSettingsDlg settings;
    WorkerCalls calls{rc, strip, forms, settings, &mainWindow};
};

class WorkerCallsTest : public testing::Test {
protected:
    void SetUp() override {
        answers.noteWindow([this] { return w ? &w->mainWindow : nullptr; });
        answers.setFallback(msg::IDYES);
        w = std::make_unique<Windows>();
        seen.clear();  // the missing configuration file of the settings dialog
        w->strip.setRange(0, 1000);
        w->strip.setStep(50);
    }
    void TearDown() override { w.reset(); }
    DialogAnswerer answers;
    QList<DialogAnswerer::Box>& seen = answers.boxes;
    std::unique_ptr<Windows> w;
};

TEST_F(WorkerCallsTest, DeliveryWithoutAViewFailsUntilANewFormRegisters) {
    bool first = true, second = false;
    runAsWorker([&] {
        first = w->calls.setViewText("\xC0\xC1");
        w->calls.newForm();
        second = w->calls.setViewText("\xC0\xC1\r\n\xE0");
        w->calls.setViewModified();
    });
    EXPECT_FALSE(first);
    EXPECT_TRUE(second);
    ASSERT_EQ(w->forms.documents().size(), 1);
    CTabulonPlusDoc* doc = w->forms.documents()[0];
    EXPECT_EQ(doc->getTextDocument()->toPlainText(), "АБ\nа");
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(WorkerCallsTest, ProgressCounterAndSettingsReachTheWindows) {
    w->settings.m_strPort = "COM3";
    w->settings.m_strDevice = "КСМ-С";
    w->settings.m_strRate = "4800";
    AcquisitionHost::SettingsStrings strings;
    runAsWorker([&] {
        w->calls.setProgressPos(0);
        for (int i = 0; i < 21; ++i) w->calls.stepProgress();
        w->calls.setByteCounterText("4200 байт прочитано");
        strings = w->calls.settingsStrings();
    });
    EXPECT_EQ(w->strip.position(), 50) << "past the maximum the bar starts again";
    EXPECT_EQ(w->strip.byteCounterText(), "4200 байт прочитано");
    EXPECT_EQ(strings.port, "COM3");
    EXPECT_EQ(strings.device, "КСМ-С");
    EXPECT_EQ(strings.rate, "4800");
}

TEST_F(WorkerCallsTest, QuestionsAreAskedOnTheUiThreadWithTheMainWindowDisabled) {
    int reply = 0;
    runAsWorker([&] { reply = w->calls.messageBox("Продолжить?", msg::MB_YESNO); });
    EXPECT_EQ(reply, msg::IDYES);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].onUiThread);
    EXPECT_FALSE(seen[0].mainWindowEnabled);
    EXPECT_TRUE(w->mainWindow.isEnabled()) << "enabled again after the answer";
}

TEST_F(WorkerCallsTest, TheSettingsFileIsWrittenOnTheWorkerItsMessageShownOnTheUiThread) {
    std::thread::id writerThread;
    w->calls.setSettingsWriter([&](const AcquisitionHost::SettingsStrings& s, auto report) {
        writerThread = std::this_thread::get_id();
        report("Невозможно открыть файл Tabulon.ini", msg::MB_ICONEXCLAMATION);
        return s.port == "COM1";
    });
    std::thread::id workerThread;
    bool written = false;
    runAsWorker([&] {
        workerThread = std::this_thread::get_id();
        written = w->calls.writeSettingsFile({"COM2", "КСМ", "9600"});
    });
    EXPECT_FALSE(written);
    EXPECT_EQ(writerThread, workerThread);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].text, "Невозможно открыть файл Tabulon.ini");
    EXPECT_TRUE(seen[0].onUiThread);
}

// What the worker says by meaning, the operator reads as the box of that meaning: the
// question or the outcome's own text (whose words the acquisition and collector tests hold).
TEST_F(WorkerCallsTest, QuestionsAndFailuresBecomeTheirMessageBoxes) {
    struct Case {
        std::function<bool(WorkerCalls&)> call;
        int answer;
        bool expected;
        QString text;
        unsigned style;
    };
    const unsigned question = msg::MB_YESNO | msg::MB_ICONQUESTION;
    const auto failure = [](ExchangeOutcome kind, QString detail = {}) {
        const auto call = [kind, detail](WorkerCalls& c) {
            c.reportFailure(kind, detail);
            return true;
        };
        return Case{call, msg::IDOK, true, failureText(kind, detail), msg::MB_OK};
    };
    const Case cases[] = {
        {[](WorkerCalls& c) { return c.askToStart(); }, msg::IDYES, true, texts::kStartQuestion,
         question},
        {[](WorkerCalls& c) { return c.askToContinue(4200); }, msg::IDNO, false,
         texts::closingReportText(4200), question},
        failure(ExchangeOutcome::OpenFailed, "Ошибка при инициализации COM-порта\nПорт занят"),
        failure(ExchangeOutcome::NoHandshake),
        failure(ExchangeOutcome::BadReply),
        failure(ExchangeOutcome::EchoTooLate),
        failure(ExchangeOutcome::LineBroken),
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        seen.clear();
        answers.setFallback(c.answer);
        bool result = !c.expected;
        runAsWorker([&] { result = c.call(w->calls); });
        EXPECT_EQ(result, c.expected);
        ASSERT_EQ(seen.size(), 1);
        EXPECT_EQ(seen[0].text, c.text);
        EXPECT_EQ(seen[0].style, c.style);
    }
}

// A text without form end, cut into ten pieces as the worker cuts it: once the archive holds
// them, only the windows of the first and the last piece stay; without an archive to hold them
// every window stays. The status line says which.
TEST_F(WorkerCallsTest, OnlyTheFirstAndLastPieceOfATextWithoutFormEndStayOpenOnceArchived) {
    enum class Archive { On, Off, Failing };
    struct Case {
        Archive archive;
        qsizetype windows;
        QString status;
    };
    const Case cases[] = {
        {Archive::On, 2, texts::kStreamPiecesClosed.arg(8)},
        {Archive::Off, 10, texts::kStreamPiecesKeptNoArchive},
        {Archive::Failing, 10, texts::kStreamPiecesKeptArchiveFailed},
    };
    constexpr qsizetype kPiece = 100;
    QByteArray text;
    for (int i = 0; i < 10 * kPiece; ++i) text += char('A' + i % 26);
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.archive));
        QTemporaryDir dir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("profile"));
        ArchiveSettings settings;
        settings.enabled = c.archive != Archive::Off;
        settings.folder = dir.filePath("archive");
        settings.nameTemplate = ArchiveName::kDefaultTemplate;
        ASSERT_TRUE(settings.save());
        if (c.archive == Archive::Failing) QFile(settings.folder).open(QIODevice::WriteOnly);
        w = std::make_unique<Windows>();
        w->rc.m_strPort = "COM1";
        w->calls.beginArchive();
        runAsWorker([&] {
            w->calls.newForm();
            FormAssembler forms(w->calls, kPiece);
            forms.startPass();
            for (char byte : text) forms.handleByte(std::uint8_t(byte));
            forms.deliverAtPassEnd();
        });
        w->calls.finishArchive();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        const QList<CTabulonPlusDoc*> docs = w->forms.documents();
        ASSERT_EQ(docs.size(), c.windows);
        EXPECT_EQ(docs.first()->getTextDocument()->toPlainText(), text.left(kPiece));
        EXPECT_EQ(docs.last()->getTextDocument()->toPlainText(), text.right(kPiece));
        EXPECT_EQ(w->mainWindow.statusBar()->currentMessage(), c.status);
        if (c.archive != Archive::On) continue;
        std::set<QByteArray> archived;
        for (QDirIterator it(settings.folder, QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly)) archived.insert(file.readAll());
        }
        for (int piece = 0; piece < 10; ++piece)
            EXPECT_TRUE(archived.count(text.mid(piece * kPiece, kPiece))) << "piece " << piece + 1;
    }
}

TEST_F(WorkerCallsTest, NothingIsAskedOnceTheOperatorIsLeaving) {
    w->rc.requestAbort();
    bool started = true;
    runAsWorker([&] { started = w->calls.askToStart(); });
    EXPECT_FALSE(started);
    EXPECT_TRUE(seen.isEmpty());
}

// A dial-up site's call as the windows show it: "Набор номера…" while the modem dials, then its
// CONNECT until the hang-up, then nothing. (Each way the call ends hangs up: DialUpExchangeTest.)
TEST_F(WorkerCallsTest, TheStripShowsADialUpCallUntilItsHangUp) {
    CalculatorSimulatorOptions calc;
    calc.deviceType = 4;  // prints its forms unasked
    calc.stream.forms = {"ВЕДОМОСТЬ\n"};
    CalculatorSimulator calculator(calc);
    ASSERT_TRUE(calculator.start()) << calculator.error();
    ModemSimulatorOptions options = quickModem();
    options.numbers["5551234"] = script(ModemCallScript::Answer::Connect, calculator.slavePath());
    ModemSimulator modem(options);
    ASSERT_TRUE(modem.start()) << modem.error();
    w->calls.setSettingsWriter([](const auto&, auto) { return true; });
    answers.answerWith([](const QString& text, unsigned) {
        return text.startsWith(QStringLiteral("Связь с вычислителем")) ? msg::IDYES : msg::IDNO;
    });
    w->rc.m_pMainFrame = &w->calls;
    w->rc.m_nDeviceType = 4;
    w->rc.m_bReceiving = 1;
    w->rc.m_dial = quickPlan("5551234");
    const SerialOpener opener = [&modem](const std::string&, int) {
        SerialOpenResult r;
        r.port = openModemLine(modem);
        r.stage = r.port ? SerialOpenResult::Stage::Ok : SerialOpenResult::Stage::Open;
        return r;
    };
    SteadyClock clock;
    ExchangeOutcome outcome = ExchangeOutcome::LineBroken;
    std::atomic<bool> done{false};
    QStringList shown{w->strip.callText()};
    std::thread worker([&] {
        outcome = runExchange(w->rc, opener, clock);
        done = true;
    });
    while (!done) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (const QString text = w->strip.callText(); shown.back() != text) shown << text;
    }
    worker.join();
    EXPECT_EQ(shown, (QStringList{"", modemTexts::kDialling,
                                  "Соединение установлено: CONNECT 9600/RLP", ""}));
    EXPECT_EQ(outcome, ExchangeOutcome::FormsReceived);
    EXPECT_GT(lastEvent(modem.events(), "ATH"), lastEvent(modem.events(), "-> CONNECT"))
        << eventLog(modem.events());
}

}  // namespace
