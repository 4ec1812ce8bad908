#include <QFile>
#include <QMdiSubWindow>
#include <QStatusBar>

#include "forms/ChildFrame.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "frames/CommandRouter.h"
#include "frames/FormWindows.h"
#include "frames/MainFrame.h"
#include "frames/ProgressStrip.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"
#include "tests/app/AppFixture.h"

namespace {

const QString kStart = QStringLiteral("Связь с вычислителем установлена.\nНачать прием данных?");
const QString kReport = QStringLiteral("Чтение данных в объеме ");
const QString kGuard = QStringLiteral(
    "Документ не может быть закрыт до окончания передачи данных!\nОстановить передачу данных?");

const QStringList kForms = {
    QStringLiteral("СУТОЧНАЯ ВЕДОМОСТЬ N1\nТемпература подачи 94,21"),
    QStringLiteral("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ\nабвгдежзийклмнопрстуфхцчшщъыьэюя"),
    QStringLiteral("Итого: 12,446 т"),
};

// Bytes a form occupies once received: each line break arrives as CR LF.
int receivedLength(const QString& form) {
    return cp1251(form).size() + form.count('\n');
}

CalculatorSimulatorOptions type0(const QStringList& forms, double bytesPerSecond = 0) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    for (const QString& f : forms) o.stream.forms.push_back(f.toStdString());
    o.bytesPerSecond = bytesPerSecond;
    return o;
}

// A long form sent slowly, so that the pass is still under way when the test acts.
QStringList slowForms() {
    QString longForm;
    for (int i = 0; i < 60; ++i) longForm += QStringLiteral("строка %1 ведомости\n").arg(i);
    return {kForms[0], longForm};
}

class Exchange : public AppFixture {
protected:
    bool stripShown() { return mainFrame()->progressStrip()->isVisible(); }
    bool statusShown() { return mainFrame()->statusBar()->isVisible(); }
    bool receiving() { return mainFrame()->block().m_bReceiving != 0; }

    // A slow calculator mid-pass: its first form has come and opened the second window.
    void connectToASlowCalculatorUntilTheFirstForm() {
        startCalculator(type0(slowForms(), 400));
        ASSERT_TRUE(startApp());
        answer(kStart, msg::IDYES);
        answer(kReport, msg::IDNO);
        chooseSettings("COM1", "КСМ-Р", "9600");
        mainFrame()->commands().run(id::ID_CONNECT);
        ASSERT_TRUE(waitUntil([this] { return formDocs().size() == 2; }));
    }
};

TEST_F(Exchange, ThreeFormsOfAType0Calculator) {
    startCalculator(type0(kForms));
    ASSERT_TRUE(startApp());
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text, "Невозможно открыть файл Tabulon.ini") << "no file yet";

    answer(kStart, msg::IDYES);
    answer(kReport, msg::IDNO);
    chooseSettings("COM1", "КСМ-Р", "9600");
    CMainFrame* frame = mainFrame();
    EXPECT_TRUE(frame->commands().isEnabled(id::ID_CONNECT));
    EXPECT_FALSE(frame->commands().isEnabled(id::ID_STOP_RECEIVE));
    ASSERT_TRUE(frame->commands().run(id::ID_CONNECT));
    EXPECT_TRUE(stripShown());
    EXPECT_FALSE(statusShown());
    EXPECT_FALSE(frame->commands().isEnabled(id::ID_CONNECT));
    EXPECT_TRUE(frame->commands().isEnabled(id::ID_STOP_RECEIVE));

    ASSERT_TRUE(waitForWorkerEnd());
    EXPECT_TRUE(stripShown()) << "the bars change back only at the next tick";
    frame->exchange().OnTimer(1);
    EXPECT_FALSE(stripShown());
    EXPECT_TRUE(statusShown());
    EXPECT_TRUE(frame->commands().isEnabled(id::ID_CONNECT));

    ASSERT_EQ(titles(), QStringList({"Безымянный1", "Безымянный2", "Безымянный3", "Безымянный4"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(formDocs()[i]->IsModified()) << i;
        EXPECT_EQ(plainText(formDocs()[i]), kForms[i]) << i;
    }
    EXPECT_FALSE(formDocs()[3]->IsModified());
    EXPECT_TRUE(plainText(formDocs()[3]).isEmpty());

    const int n = receivedLength(kForms[0]) + receivedLength(kForms[1]) + receivedLength(kForms[2]);
    EXPECT_EQ(frame->progressStrip()->byteCounterText(), QString("%1 байт прочитано").arg(n));
    QStringList texts;
    for (const Message& m : m_messages) {
        texts.append(m.text);
        if (m.text == kStart || m.text.startsWith(kReport)) {
            EXPECT_FALSE(m.mainWindowEnabled) << "the main window is disabled under a question";
        }
    }
    EXPECT_EQ(
        texts,
        QStringList({"Невозможно открыть файл Tabulon.ini", kStart,
                     QString("Чтение данных в объеме %1 байт завершено. Продолжить?").arg(n)}));
    EXPECT_TRUE(frame->isEnabled());

    EXPECT_EQ(iniBytes(), cp1251("PORT = COM1\r\nDEVICE = КСМ-Р\r\nRATE = 9600"));
    const CalculatorSimulatorReport report = m_sim->report();
    EXPECT_EQ(report.echoErrors, 0u);
    EXPECT_EQ(report.echoesMissing, 0u);
    EXPECT_EQ(report.streamsCompleted, 1);
}

TEST_F(Exchange, EachInvalidChoiceIsNamedAndStartsNothing) {
    ASSERT_TRUE(startApp());
    m_messages.clear();
    CMainFrame* frame = mainFrame();
    struct {
        const char *port, *device, *rate, *message, *blockPort;
        int blockType;
    } cases[] = {
        {"com1", "КСМ-Р", "9600", "Неправильно задан порт", "COM1", 0},
        {"COM4", "КСМ-р", "9600", "Неправильно задан тип вычислителя", "COM4", 0},
        {"COM5", "КСМ-Ж", "9601", "Неправильно задана скорость обмена данными", "COM5", 4},
    };
    for (const auto& c : cases) {
        chooseSettings(c.port, c.device, c.rate);
        m_messages.clear();
        frame->commands().run(id::ID_CONNECT);
        ASSERT_EQ(m_messages.size(), 1) << c.message;
        EXPECT_EQ(m_messages[0].text, c.message);
        EXPECT_EQ(m_messages[0].style, msg::MB_OK);
        EXPECT_FALSE(receiving());
        EXPECT_FALSE(frame->exchange().workerAlive());
        EXPECT_FALSE(frame->exchange().timerActive());
        EXPECT_FALSE(stripShown());
        EXPECT_EQ(frame->block().m_strPort, c.blockPort);
        EXPECT_EQ(frame->block().m_nDeviceType, c.blockType);
        EXPECT_EQ(frame->block().m_nRate, 9600);
        // The dialog keeps the rejected texts for its next showing.
        EXPECT_EQ(frame->settingsDlg().m_strPort, c.port);
    }
}

TEST_F(Exchange, StopDuringAPassEndsItWithTheClosingReport) {
    ASSERT_NO_FATAL_FAILURE(connectToASlowCalculatorUntilTheFirstForm());
    ASSERT_TRUE(mainFrame()->commands().isEnabled(id::ID_STOP_RECEIVE));
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_STOP_RECEIVE));
    EXPECT_EQ(mainFrame()->block().m_bStop, 1);
    EXPECT_TRUE(stripShown()) << "stop only asks: the strip stays until the worker has ended";

    ASSERT_TRUE(waitForWorkerEnd());
    ASSERT_TRUE(sent(kReport));
    // The report counts what the byte counter shows, and the stream did not run to its end.
    const QString counter = mainFrame()->progressStrip()->byteCounterText();
    const QString n = counter.section(' ', 0, 0);
    EXPECT_TRUE(sent(kReport + n + " байт завершено")) << counter.toStdString();
    EXPECT_GE(n.toInt(), receivedLength(kForms[0]));
    EXPECT_EQ(m_sim->report().streamsCompleted, 0);
    EXPECT_EQ(plainText(formDocs()[0]), kForms[0]);
    EXPECT_FALSE(iniBytes().isEmpty()) << "declining to continue writes the settings";
    mainFrame()->exchange().OnTimer(1);
    EXPECT_FALSE(stripShown());
}

TEST_F(Exchange, ClosingTheReceivingWindowAsksCancelGoesOnOkEndsAtOnce) {
    ASSERT_NO_FATAL_FAILURE(connectToASlowCalculatorUntilTheFirstForm());
    auto* receivingFrame = qobject_cast<CChildFrame*>(mainFrame()->block().m_pReceivingFrame);
    ASSERT_NE(receivingFrame, nullptr);

    answer(kGuard, msg::IDCANCEL);
    m_messages.clear();
    receivingFrame->close();
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text, kGuard);
    EXPECT_EQ(m_messages[0].style, msg::MB_OKCANCEL | msg::MB_ICONQUESTION);
    EXPECT_EQ(formDocs().size(), 2);
    EXPECT_TRUE(receiving());
    EXPECT_TRUE(mainFrame()->exchange().workerAlive());

    answer(kGuard, msg::IDOK);
    QPointer<CChildFrame> watched(receivingFrame);
    receivingFrame->close();
    EXPECT_FALSE(mainFrame()->exchange().workerAlive())
        << "the worker ended before the window went";
    EXPECT_FALSE(receiving());
    ASSERT_TRUE(waitUntil([&] { return watched.isNull(); }));
    EXPECT_EQ(titles(), QStringList({"Безымянный1"}));
    EXPECT_FALSE(sent(kReport)) << "a confirmed close ends without questions";
    EXPECT_TRUE(iniBytes().isEmpty()) << "and without writing the settings";
    mainFrame()->exchange().OnTimer(1);
    EXPECT_FALSE(stripShown());
}

// Forms the operator creates or opens during an exchange keep their own text: the received text
// goes on into the exchange's window, and saving the opened form would not overwrite its file
// with it.
TEST_F(Exchange, FormsTheOperatorOpensMeanwhileDoNotReceive) {
    ASSERT_NO_FATAL_FAILURE(connectToASlowCalculatorUntilTheFirstForm());
    auto* receiving = qobject_cast<CChildFrame*>(mainFrame()->block().m_pReceivingFrame);
    ASSERT_NE(receiving, nullptr);
    const QString file = m_dir.filePath("saved.txt");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(cp1251("Сохраненная ведомость"));
    f.close();

    ASSERT_TRUE(mainFrame()->commands().run(id::ID_FILE_NEW));
    ASSERT_NE(mainFrame()->forms().formTemplate().openDocumentFile(file), nullptr);
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_WINDOW_NEW));
    EXPECT_EQ(mainFrame()->block().m_pReceivingFrame, receiving);
    EXPECT_EQ(mainFrame()->block().m_pView, receiving->GetActiveView());

    // Some of the second form has come when the operator stops; it is delivered at the stop.
    ASSERT_TRUE(waitUntil([this] {
        const QString counter = mainFrame()->progressStrip()->byteCounterText();
        return counter.section(' ', 0, 0).toInt() > receivedLength(kForms[0]) + 10;
    }));
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_STOP_RECEIVE));
    ASSERT_TRUE(waitForWorkerEnd());
    ASSERT_EQ(titles(), QStringList({"Безымянный1", "Безымянный2", "Безымянный3", "saved.txt"}));
    const QString received = plainText(formDocs()[1]);
    EXPECT_FALSE(received.isEmpty());
    EXPECT_TRUE(slowForms()[1].startsWith(received)) << received.toStdString();
    EXPECT_TRUE(plainText(formDocs()[2]).isEmpty());
    EXPECT_FALSE(formDocs()[2]->IsModified());
    EXPECT_EQ(plainText(formDocs()[3]), "Сохраненная ведомость");
    EXPECT_FALSE(formDocs()[3]->IsModified());
}

TEST_F(Exchange, ExitDuringAPassAsksTheGuardThenStopsBeforeAnyWindowGoes) {
    ASSERT_NO_FATAL_FAILURE(connectToASlowCalculatorUntilTheFirstForm());

    // Cancel: nothing closes and the exchange goes on.
    answer(kGuard, msg::IDCANCEL);
    EXPECT_FALSE(mainFrame()->close());
    EXPECT_EQ(formDocs().size(), 2);
    EXPECT_TRUE(mainFrame()->exchange().workerAlive());

    answer(kGuard, msg::IDOK);
    answer("Save changes to", msg::IDNO);
    m_messages.clear();
    EXPECT_TRUE(mainFrame()->commands().run(id::ID_APP_EXIT));
    EXPECT_FALSE(mainFrame()->isVisible());
    EXPECT_FALSE(mainFrame()->exchange().workerAlive());
    EXPECT_FALSE(receiving());
    EXPECT_TRUE(sent(kGuard));
    EXPECT_TRUE(sent("Save changes to Безымянный1?")) << "the received form was modified";
    EXPECT_FALSE(sent(kReport));
}

// A calculator that takes the handshake byte and never answers: closing the receiving window
// or leaving the program, confirmed, ends the exchange there and then, not at the handshake's
// limit, with no further message, no start question and no settings written.
class ClosingDuringTheHandshake : public Exchange, public testing::WithParamInterface<bool> {};

TEST_P(ClosingDuringTheHandshake, EndsAtOnceWithoutAWord) {
    const bool exitCommand = GetParam();
    CalculatorSimulatorOptions o;
    o.deviceType = 5;
    o.reply = CalculatorSimulatorOptions::Reply::None;
    startCalculator(o);
    ASSERT_TRUE(startApp({}, true));  // the real clock: the handshake would wait nine seconds
    answer(kGuard, msg::IDOK);
    answer(kStart, msg::IDYES);
    chooseSettings("COM1", "КСМ", "9600");
    mainFrame()->commands().run(id::ID_CONNECT);
    ASSERT_TRUE(waitUntil([this] { return m_sim->report().handshakesSeen == 1; }));
    m_messages.clear();

    if (exitCommand) {
        EXPECT_TRUE(mainFrame()->commands().run(id::ID_APP_EXIT));
        EXPECT_FALSE(mainFrame()->isVisible());
    } else {
        auto* receiving = qobject_cast<QMdiSubWindow*>(mainFrame()->block().m_pReceivingFrame);
        ASSERT_NE(receiving, nullptr);
        EXPECT_TRUE(receiving->close());
    }
    EXPECT_FALSE(mainFrame()->exchange().workerAlive()) << "the close waited for the worker";
    EXPECT_FALSE(receiving());
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text, kGuard) << "nothing asked or shown after the guard";
    EXPECT_TRUE(iniBytes().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Exchange, ClosingDuringTheHandshake, testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "Exit" : "CloseWindow");
                         });

TEST_F(Exchange, ExitWaitsWhileTheWorkerAsksAQuestion) {
    startCalculator(type0(kForms));
    ASSERT_TRUE(startApp());
    chooseSettings("COM1", "КСМ-Р", "9600");
    bool closedUnderQuestion = true;
    QStringList asked;
    m_answerer.answerWith([&](const QString& text, unsigned) {
        asked.append(text);
        if (text == kGuard) return msg::IDOK;  // would stop and join a worker that waits for us
        if (text != kStart) return msg::IDNO;
        // The operator reaches the main window's close box while the question is up.
        closedUnderQuestion = mainFrame()->close();
        return msg::IDNO;
    });
    mainFrame()->commands().run(id::ID_CONNECT);
    ASSERT_TRUE(waitForWorkerEnd());
    EXPECT_FALSE(closedUnderQuestion);
    EXPECT_FALSE(asked.contains(kGuard)) << "the close is refused before anything is asked";
    EXPECT_TRUE(mainFrame()->isVisible());
    EXPECT_EQ(formDocs().size(), 1);
    EXPECT_FALSE(iniBytes().isEmpty()) << "No to the start question still writes the settings";
}

TEST_F(Exchange, APortThatCannotBeOpenedIsReportedAndTheBarsComeBack) {
    qputenv("TABULON_COM3", m_dir.filePath("no-such-line").toLocal8Bit());
    ASSERT_TRUE(startApp());
    m_messages.clear();
    chooseSettings("COM3", "КСМ", "19200");
    mainFrame()->commands().run(id::ID_CONNECT);
    EXPECT_EQ(mainFrame()->block().m_strPort, "COM3");
    EXPECT_EQ(mainFrame()->block().m_nDeviceType, 5);
    EXPECT_EQ(mainFrame()->block().m_nRate, 19200);
    ASSERT_TRUE(waitForWorkerEnd());
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text, QStringLiteral("Ошибка при инициализации COM-порта\nНет "
                                                 "устройства %1 (COM3): адаптер не подключён.")
                                      .arg(m_dir.filePath("no-such-line")));
    EXPECT_FALSE(receiving());
    mainFrame()->exchange().OnTimer(1);
    EXPECT_FALSE(stripShown());
    EXPECT_TRUE(statusShown());
    EXPECT_TRUE(mainFrame()->commands().isEnabled(id::ID_CONNECT));
}

}  // namespace
