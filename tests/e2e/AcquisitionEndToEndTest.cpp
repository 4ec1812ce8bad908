#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSettings>
#include <QTemporaryDir>
#include <future>

#include "acquisition/AcquisitionThreadProc.h"
#include "acquisition/MessageStyle.h"
#include "platform/PseudoTerminal.h"
#include "tests/fakes/PortHolder.h"
#include "tests/fakes/RecordingHost.h"
#include "tools/CalculatorSimulator.h"
#include "tools/SampleForms.h"

namespace {

using namespace std::chrono_literals;
using Kind = RecordingHost::Kind;

const QString kStartQuestion =
    QStringLiteral("Связь с вычислителем установлена.\nНачать прием данных?");
const QString kLinkBroken = QStringLiteral("Связь с вычислителем нарушена");

// What the program should show of a UTF-8 form: Windows Cyrillic, lines ended CR LF.
QByteArray expectedCp1251(std::string_view utf8) {
    QByteArray out;
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\n' && !out.endsWith('\r')) out.append('\r');
        if (u < 0x80) {
            out.append(static_cast<char>(u));
        } else if (u >= 0x0410 && u <= 0x044F) {
            out.append(static_cast<char>(0xC0 + (u - 0x0410)));
        } else {
            ADD_FAILURE() << "no such letter in the test forms: " << int(u);
        }
    }
    return out;
}

QString closingReport(qsizetype n) {
    return QStringLiteral("Чтение данных в объеме %1 байт завершено. Продолжить?").arg(n);
}

// One exchange run by the worker on COM1, which the environment points at `path`.
class Exchange {
public:
    Exchange(const std::string& path, int type) {
        // The worker remembers the machine's ports in the profile: a profile of the test's own.
        static QTemporaryDir profile;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
        ::setenv("TABULON_COM1", path.c_str(), 1);
        rc.m_strPort = "COM1";
        rc.m_nRate = 9600;
        rc.m_nDeviceType = static_cast<DeviceType>(type);
        rc.m_pMainFrame = &host;
        host.setSettings(
            {"COM1", QString::fromUtf8(deviceTypeInfo(rc.m_nDeviceType).name), "9600"});
    }
    ~Exchange() { ::unsetenv("TABULON_COM1"); }

    // Runs the worker to its end; a worker still running after `limit` is a failure, and is
    // then made to end so that the test does not hang.
    unsigned run(std::chrono::seconds limit = 30s) {
        rc.m_bReceiving = 1;
        auto done = std::async(std::launch::async, [this] { return AcquisitionThreadProc(&rc); });
        if (done.wait_for(limit) != std::future_status::ready) {
            ADD_FAILURE() << "the worker did not end";
            rc.m_bAbort = 1;
            rc.m_bStop = 1;
        }
        return done.get();
    }
    // The operator presses stop when the worker opens form number `count` (counting from 1).
    void stopAtNewForm(std::size_t count) {
        host.on(Kind::NewForm, [this, count](const RecordingHost::Call&) {
            if (host.callsOf(Kind::NewForm).size() == count) rc.m_bStop = 1;
        });
    }

    ReceiveControl rc;
    RecordingHost host;
};

class TwoFormsTest : public testing::TestWithParam<int> {};

TEST_P(TwoFormsTest, ReceivesTwoFormsWithEveryEchoChecked) {
    const int type = GetParam();
    const auto& samples = sampleForms();
    CalculatorSimulatorOptions o;
    o.deviceType = type;
    o.stream.forms = {std::string(samples[0].text), std::string(samples[2].text)};
    CalculatorSimulator sim(o);
    ASSERT_TRUE(sim.start()) << sim.error();

    Exchange ex(sim.slavePath(), type);
    ex.host.answer({msg::IDYES, msg::IDNO});
    // Type 4 ends its pass on its own after 1 s of silence; the others would wait 5 to 9 s,
    // so the operator stops them once both forms are in.
    if (type != 4) ex.stopAtNewForm(2);
    EXPECT_EQ(ex.run(), 0u);
    ASSERT_TRUE(sim.waitFinished(5s));

    const QByteArray first = expectedCp1251(samples[0].text);
    const QByteArray second = expectedCp1251(samples[2].text);
    const auto forms = ex.host.forms();
    ASSERT_EQ(forms.size(), 3u);
    EXPECT_EQ(forms[0], first);
    EXPECT_EQ(forms[1], second);
    EXPECT_TRUE(forms[2].isEmpty());
    EXPECT_EQ(ex.host.messages(),
              QStringList({kStartQuestion, closingReport(first.size() + second.size())}));
    EXPECT_EQ(ex.host.written().size(), 1u);
    EXPECT_EQ(ex.rc.m_bReceiving, 0);

    const CalculatorSimulatorReport r = sim.report();
    EXPECT_EQ(r.streamsCompleted, 1);
    EXPECT_EQ(r.handshakesSeen, type == 4 ? 0 : 1);
    EXPECT_EQ(r.echoesChecked, type == 4 ? 0u : r.bytesSent);
    EXPECT_EQ(r.echoErrors, 0u);
    EXPECT_EQ(r.unexpectedBytes, 0u);  // type 4 is never written to
    for (const auto& p : r.problems) ADD_FAILURE() << p;
}

INSTANTIATE_TEST_SUITE_P(Types, TwoFormsTest, testing::Values(0, 2, 4, 5));

TEST(EndToEnd, WrongHandshakeReplyIsRefused) {
    CalculatorSimulatorOptions o;
    o.deviceType = 2;
    o.reply = CalculatorSimulatorOptions::Reply::Custom;
    o.customReply = {0x55, 0x00};
    o.stream.forms = {"ABC"};
    CalculatorSimulator sim(o);
    ASSERT_TRUE(sim.start());

    Exchange ex(sim.slavePath(), 2);
    EXPECT_EQ(ex.run(), 0u);
    ASSERT_TRUE(sim.waitFinished(5s));
    EXPECT_EQ(ex.host.messages(),
              QStringList{QStringLiteral("Ошибка при приеме данных от вычислителя")});
    EXPECT_EQ(ex.rc.m_bReceiving, 0);
    EXPECT_EQ(ex.rc.m_bStop, 1);
    EXPECT_TRUE(ex.host.written().empty());
    EXPECT_EQ(sim.report().handshakesSeen, 1);
}

TEST(EndToEnd, VanishedDeviceEndsTheExchangeWithEverythingDelivered) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = {"ABC", "DEFGHIJ"};
    o.vanishAfter = 4 + 5;  // "ABC", the form end, then "DEFGH"
    CalculatorSimulator sim(o);
    ASSERT_TRUE(sim.start());

    Exchange ex(sim.slavePath(), 0);
    ex.host.answer({msg::IDYES});
    EXPECT_EQ(ex.run(), 0u);
    ASSERT_TRUE(sim.waitFinished(5s));
    EXPECT_TRUE(sim.report().vanished);

    const auto forms = ex.host.forms();
    ASSERT_EQ(forms.size(), 2u);
    EXPECT_EQ(forms[0], "ABC");
    EXPECT_EQ(forms[1], "DEFGH");
    EXPECT_EQ(ex.host.messages(), QStringList({kStartQuestion, kLinkBroken}));
    EXPECT_EQ(ex.rc.m_bReceiving, 0);
}

TEST(EndToEnd, PortHeldByAnotherProcessCannotBeOpened) {
    auto pty = PseudoTerminal::create();
    ASSERT_TRUE(pty);
    PortHolder holder(pty->slavePath());
    ASSERT_TRUE(holder.held());

    Exchange ex(pty->slavePath(), 0);
    EXPECT_EQ(ex.run(), 0u);
    ASSERT_EQ(ex.host.messages().size(), 1);
    EXPECT_TRUE(ex.host.messages()[0].startsWith(
        QStringLiteral("Ошибка при инициализации COM-порта\nПорт %1 (COM1) занят другой программой")
            .arg(QString::fromStdString(pty->slavePath()))))
        << ex.host.messages()[0].toStdString();
    EXPECT_EQ(ex.rc.m_bReceiving, 0);
    EXPECT_EQ(ex.rc.m_bStop, 1);
}

TEST(EndToEnd, OneSimulatorServesExchangeAfterExchange) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = {"ABC"};
    o.exchanges = 2;
    CalculatorSimulator sim(o);
    ASSERT_TRUE(sim.start());
    for (int i = 0; i < 2; ++i) {
        Exchange ex(sim.slavePath(), 0);
        ex.host.answer({msg::IDYES, msg::IDNO});
        ex.stopAtNewForm(1);
        EXPECT_EQ(ex.run(), 0u);
        EXPECT_EQ(ex.host.forms().front(), "ABC");
    }
    ASSERT_TRUE(sim.waitFinished(5s));
    EXPECT_EQ(sim.report().exchanges, 2);
    EXPECT_EQ(sim.report().handshakesSeen, 2);
    EXPECT_EQ(sim.report().echoErrors, 0u);
}

}  // namespace
