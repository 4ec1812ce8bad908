#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSettings>
#include <QTemporaryDir>
#include <future>

#include "acquisition/AcquisitionThreadProc.h"
#include "platform/PseudoTerminal.h"
#include "res/MessageStyle.h"
#include "tests/e2e/ExchangeRig.h"
#include "tests/fakes/PortHolder.h"
#include "tests/fakes/RecordingHost.h"
#include "tools/CalculatorSimulator.h"
#include "tools/SampleForms.h"

namespace {

using namespace e2e;

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
