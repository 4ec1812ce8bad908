#include <QFile>
#include <QMdiSubWindow>
#include <QStatusBar>

#include "AppFixture.h"
#include "forms/ChildFrame.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "frames/MainFrame.h"
#include "frames/ProgressStrip.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"

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
int ReceivedLength(const QString& form) {
    return Cp1251(form).size() + form.count('\n');
}

CalculatorSimulatorOptions Type0(const QStringList& forms, double bytesPerSecond = 0) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    for (const QString& f : forms) o.stream.forms.push_back(f.toStdString());
    o.bytesPerSecond = bytesPerSecond;
    return o;
}

// A long form sent slowly, so that the pass is still under way when the test acts.
QStringList SlowForms() {
    QString longForm;
    for (int i = 0; i < 60; ++i) longForm += QStringLiteral("строка %1 ведомости\n").arg(i);
    return {kForms[0], longForm};
}

class Exchange : public AppFixture {
protected:
    bool StripShown() { return Frame()->m_wndProgressStrip->isVisible(); }
    bool StatusShown() { return Frame()->m_wndStatusBar->isVisible(); }
    bool Receiving() { return Frame()->Block().m_bReceiving != 0; }

    // A slow calculator mid-pass: its first form has come and opened the second window.
    void ConnectToASlowCalculatorUntilTheFirstForm() {
        StartCalculator(Type0(SlowForms(), 400));
        ASSERT_TRUE(StartApp());
        Answer(kStart, msg::IDYES);
        Answer(kReport, msg::IDNO);
        ChooseSettings("COM1", "КСМ-Р", "9600");
        Frame()->OnCommand(id::ID_CONNECT);
        ASSERT_TRUE(WaitUntil([this] { return Docs().size() == 2; }));
    }
};

TEST_F(Exchange, ThreeFormsOfAType0Calculator) {
    StartCalculator(Type0(kForms));
    ASSERT_TRUE(StartApp());
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text, "Невозможно открыть файл Tabulon.ini") << "no file yet";

    Answer(kStart, msg::IDYES);
    Answer(kReport, msg::IDNO);
    ChooseSettings("COM1", "КСМ-Р", "9600");
    CMainFrame* frame = Frame();
    EXPECT_TRUE(frame->IsCommandEnabled(id::ID_CONNECT));
    EXPECT_FALSE(frame->IsCommandEnabled(id::ID_STOP_RECEIVE));
    ASSERT_TRUE(frame->OnCommand(id::ID_CONNECT));
    EXPECT_TRUE(StripShown());
    EXPECT_FALSE(StatusShown());
    EXPECT_FALSE(frame->IsCommandEnabled(id::ID_CONNECT));
    EXPECT_TRUE(frame->IsCommandEnabled(id::ID_STOP_RECEIVE));

    ASSERT_TRUE(WaitForWorkerEnd());
    EXPECT_TRUE(StripShown()) << "the bars change back only at the next tick";
    frame->OnTimer(1);
    EXPECT_FALSE(StripShown());
    EXPECT_TRUE(StatusShown());
    EXPECT_TRUE(frame->IsCommandEnabled(id::ID_CONNECT));

    ASSERT_EQ(Titles(), QStringList({"Безымянный1", "Безымянный2", "Безымянный3", "Безымянный4"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(Docs()[i]->IsModified()) << i;
        EXPECT_EQ(PlainText(Docs()[i]), kForms[i]) << i;
    }
    EXPECT_FALSE(Docs()[3]->IsModified());
    EXPECT_TRUE(PlainText(Docs()[3]).isEmpty());

    const int n = ReceivedLength(kForms[0]) + ReceivedLength(kForms[1]) + ReceivedLength(kForms[2]);
    EXPECT_EQ(frame->m_wndProgressStrip->byteCounterText(), QString("%1 байт прочитано").arg(n));
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

    EXPECT_EQ(IniBytes(), Cp1251("PORT = COM1\r\nDEVICE = КСМ-Р\r\nRATE = 9600"));
    const CalculatorSimulatorReport report = m_sim->report();
    EXPECT_EQ(report.echoErrors, 0u);
    EXPECT_EQ(report.echoesMissing, 0u);
    EXPECT_EQ(report.streamsCompleted, 1);
}

TEST_F(Exchange, EachInvalidChoiceIsNamedAndStartsNothing) {
    ASSERT_TRUE(StartApp());
    m_messages.clear();
    CMainFrame* frame = Frame();
    struct {
        const char *port, *device, *rate, *message, *blockPort;
        int blockType;
    } cases[] = {
        {"com1", "КСМ-Р", "9600", "Неправильно задан порт", "COM1", 0},
        {"COM4", "КСМ-р", "9600", "Неправильно задан тип вычислителя", "COM4", 0},
        {"COM5", "КСМ-Ж", "9601", "Неправильно задана скорость обмена данными", "COM5", 4},
    };
    for (const auto& c : cases) {
        ChooseSettings(c.port, c.device, c.rate);
        m_messages.clear();
        frame->OnCommand(id::ID_CONNECT);
        ASSERT_EQ(m_messages.size(), 1) << c.message;
        EXPECT_EQ(m_messages[0].text, c.message);
        EXPECT_EQ(m_messages[0].style, msg::MB_OK);
        EXPECT_FALSE(Receiving());
        EXPECT_FALSE(frame->Exchange().workerAlive());
        EXPECT_FALSE(frame->Exchange().timerActive());
        EXPECT_FALSE(StripShown());
        EXPECT_EQ(frame->Block().m_strPort, c.blockPort);
        EXPECT_EQ(frame->Block().m_nDeviceType, c.blockType);
        EXPECT_EQ(frame->Block().m_nRate, 9600);
        // The dialog keeps the rejected texts for its next showing.
        EXPECT_EQ(frame->m_dlgSettings.m_strPort, c.port);
    }
}

TEST_F(Exchange, StopDuringAPassEndsItWithTheClosingReport) {
    ASSERT_NO_FATAL_FAILURE(ConnectToASlowCalculatorUntilTheFirstForm());
    ASSERT_TRUE(Frame()->IsCommandEnabled(id::ID_STOP_RECEIVE));
    ASSERT_TRUE(Frame()->OnCommand(id::ID_STOP_RECEIVE));
    EXPECT_EQ(Frame()->Block().m_bStop, 1);
    EXPECT_TRUE(StripShown()) << "stop only asks: the strip stays until the worker has ended";

    ASSERT_TRUE(WaitForWorkerEnd());
    ASSERT_TRUE(Sent(kReport));
    // The report counts what the byte counter shows, and the stream did not run to its end.
    const QString counter = Frame()->m_wndProgressStrip->byteCounterText();
    const QString n = counter.section(' ', 0, 0);
    EXPECT_TRUE(Sent(kReport + n + " байт завершено")) << counter.toStdString();
    EXPECT_GE(n.toInt(), ReceivedLength(kForms[0]));
    EXPECT_EQ(m_sim->report().streamsCompleted, 0);
    EXPECT_EQ(PlainText(Docs()[0]), kForms[0]);
    EXPECT_FALSE(IniBytes().isEmpty()) << "declining to continue writes the settings";
    Frame()->OnTimer(1);
    EXPECT_FALSE(StripShown());
}

TEST_F(Exchange, ClosingTheReceivingWindowAsksCancelGoesOnOkEndsAtOnce) {
    ASSERT_NO_FATAL_FAILURE(ConnectToASlowCalculatorUntilTheFirstForm());
    auto* receiving = qobject_cast<CChildFrame*>(Frame()->Block().m_pReceivingFrame);
    ASSERT_NE(receiving, nullptr);

    Answer(kGuard, msg::IDCANCEL);
    m_messages.clear();
    receiving->close();
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text, kGuard);
    EXPECT_EQ(m_messages[0].style, msg::MB_OKCANCEL | msg::MB_ICONQUESTION);
    EXPECT_EQ(Docs().size(), 2);
    EXPECT_TRUE(Receiving());
    EXPECT_TRUE(Frame()->Exchange().workerAlive());

    Answer(kGuard, msg::IDOK);
    QPointer<CChildFrame> watched(receiving);
    receiving->close();
    EXPECT_FALSE(Frame()->Exchange().workerAlive()) << "the worker ended before the window went";
    EXPECT_FALSE(Receiving());
    ASSERT_TRUE(WaitUntil([&] { return watched.isNull(); }));
    EXPECT_EQ(Titles(), QStringList({"Безымянный1"}));
    EXPECT_FALSE(Sent(kReport)) << "a confirmed close ends without questions";
    EXPECT_TRUE(IniBytes().isEmpty()) << "and without writing the settings";
    Frame()->OnTimer(1);
    EXPECT_FALSE(StripShown());
}

// Forms the operator creates or opens during an exchange keep their own text: the received text
// goes on into the exchange's window, and saving the opened form would not overwrite its file
// with it.
TEST_F(Exchange, FormsTheOperatorOpensMeanwhileDoNotReceive) {
    ASSERT_NO_FATAL_FAILURE(ConnectToASlowCalculatorUntilTheFirstForm());
    auto* receiving = qobject_cast<CChildFrame*>(Frame()->Block().m_pReceivingFrame);
    ASSERT_NE(receiving, nullptr);
    const QString file = m_dir.filePath("saved.txt");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Cp1251("Сохраненная ведомость"));
    f.close();

    ASSERT_TRUE(Frame()->OnCommand(id::ID_FILE_NEW));
    ASSERT_NE(Frame()->Template().OpenDocumentFile(file), nullptr);
    ASSERT_TRUE(Frame()->OnCommand(id::ID_WINDOW_NEW));
    EXPECT_EQ(Frame()->Block().m_pReceivingFrame, receiving);
    EXPECT_EQ(Frame()->Block().m_pView, receiving->GetActiveView());

    // Some of the second form has come when the operator stops; it is delivered at the stop.
    ASSERT_TRUE(WaitUntil([this] {
        const QString counter = Frame()->m_wndProgressStrip->byteCounterText();
        return counter.section(' ', 0, 0).toInt() > ReceivedLength(kForms[0]) + 10;
    }));
    ASSERT_TRUE(Frame()->OnCommand(id::ID_STOP_RECEIVE));
    ASSERT_TRUE(WaitForWorkerEnd());
    ASSERT_EQ(Titles(), QStringList({"Безымянный1", "Безымянный2", "Безымянный3", "saved.txt"}));
    const QString received = PlainText(Docs()[1]);
    EXPECT_FALSE(received.isEmpty());
    EXPECT_TRUE(SlowForms()[1].startsWith(received)) << received.toStdString();
    EXPECT_TRUE(PlainText(Docs()[2]).isEmpty());
    EXPECT_FALSE(Docs()[2]->IsModified());
    EXPECT_EQ(PlainText(Docs()[3]), "Сохраненная ведомость");
    EXPECT_FALSE(Docs()[3]->IsModified());
}

TEST_F(Exchange, ExitDuringAPassAsksTheGuardThenStopsBeforeAnyWindowGoes) {
    ASSERT_NO_FATAL_FAILURE(ConnectToASlowCalculatorUntilTheFirstForm());

    // Cancel: nothing closes and the exchange goes on.
    Answer(kGuard, msg::IDCANCEL);
    EXPECT_FALSE(Frame()->close());
    EXPECT_EQ(Docs().size(), 2);
    EXPECT_TRUE(Frame()->Exchange().workerAlive());

    Answer(kGuard, msg::IDOK);
    Answer("Save changes to", msg::IDNO);
    m_messages.clear();
    EXPECT_TRUE(Frame()->OnCommand(id::ID_APP_EXIT));
    EXPECT_FALSE(Frame()->isVisible());
    EXPECT_FALSE(Frame()->Exchange().workerAlive());
    EXPECT_FALSE(Receiving());
    EXPECT_TRUE(Sent(kGuard));
    EXPECT_TRUE(Sent("Save changes to Безымянный1?")) << "the received form was modified";
    EXPECT_FALSE(Sent(kReport));
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
    StartCalculator(o);
    ASSERT_TRUE(StartApp({}, true));  // the real clock: the handshake would wait nine seconds
    Answer(kGuard, msg::IDOK);
    Answer(kStart, msg::IDYES);
    ChooseSettings("COM1", "КСМ", "9600");
    Frame()->OnCommand(id::ID_CONNECT);
    ASSERT_TRUE(WaitUntil([this] { return m_sim->report().handshakesSeen == 1; }));
    m_messages.clear();

    if (exitCommand) {
        EXPECT_TRUE(Frame()->OnCommand(id::ID_APP_EXIT));
        EXPECT_FALSE(Frame()->isVisible());
    } else {
        auto* receiving = qobject_cast<QMdiSubWindow*>(Frame()->Block().m_pReceivingFrame);
        ASSERT_NE(receiving, nullptr);
        EXPECT_TRUE(receiving->close());
    }
    EXPECT_FALSE(Frame()->Exchange().workerAlive()) << "the close waited for the worker";
    EXPECT_FALSE(Receiving());
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text, kGuard) << "nothing asked or shown after the guard";
    EXPECT_TRUE(IniBytes().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Exchange, ClosingDuringTheHandshake, testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "Exit" : "CloseWindow");
                         });

TEST_F(Exchange, ExitWaitsWhileTheWorkerAsksAQuestion) {
    StartCalculator(Type0(kForms));
    ASSERT_TRUE(StartApp());
    ChooseSettings("COM1", "КСМ-Р", "9600");
    bool closedUnderQuestion = true;
    QStringList asked;
    SetMessageBoxHook([&](const QString& text, unsigned) {
        asked.append(text);
        if (text == kGuard) return msg::IDOK;  // would stop and join a worker that waits for us
        if (text != kStart) return msg::IDNO;
        // The operator reaches the main window's close box while the question is up.
        closedUnderQuestion = Frame()->close();
        return msg::IDNO;
    });
    Frame()->OnCommand(id::ID_CONNECT);
    ASSERT_TRUE(WaitForWorkerEnd());
    EXPECT_FALSE(closedUnderQuestion);
    EXPECT_FALSE(asked.contains(kGuard)) << "the close is refused before anything is asked";
    EXPECT_TRUE(Frame()->isVisible());
    EXPECT_EQ(Docs().size(), 1);
    EXPECT_FALSE(IniBytes().isEmpty()) << "No to the start question still writes the settings";
}

TEST_F(Exchange, APortThatCannotBeOpenedIsReportedAndTheBarsComeBack) {
    qputenv("TABULON_COM3", m_dir.filePath("no-such-line").toLocal8Bit());
    ASSERT_TRUE(StartApp());
    m_messages.clear();
    ChooseSettings("COM3", "КСМ", "19200");
    Frame()->OnCommand(id::ID_CONNECT);
    EXPECT_EQ(Frame()->Block().m_strPort, "COM3");
    EXPECT_EQ(Frame()->Block().m_nDeviceType, 5);
    EXPECT_EQ(Frame()->Block().m_nRate, 19200);
    ASSERT_TRUE(WaitForWorkerEnd());
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text, QStringLiteral("Ошибка при инициализации COM-порта\nНет "
                                                 "устройства %1 (COM3): адаптер не подключён.")
                                      .arg(m_dir.filePath("no-such-line")));
    EXPECT_FALSE(Receiving());
    Frame()->OnTimer(1);
    EXPECT_FALSE(StripShown());
    EXPECT_TRUE(StatusShown());
    EXPECT_TRUE(Frame()->IsCommandEnabled(id::ID_CONNECT));
}

}  // namespace
