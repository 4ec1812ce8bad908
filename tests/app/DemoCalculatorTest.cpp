#include <QFileInfo>

#include "app/DemoCalculator.h"
#include "frames/CommandRouter.h"
#include "frames/MainFrame.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"
#include "tests/app/AppFixture.h"

namespace {

class Demo : public AppFixture {
protected:
    void followTheChosenType(DemoCalculator& demo) {
        QObject::connect(&mainFrame()->exchange(), &ExchangeControl::exchangeStarted,
                         [this, &demo] {
                             demo.prepareExchange(mainFrame()->block().m_nDeviceType,
                                                  mainFrame()->block().m_nRate);
                         });
    }
};

// With the default settings the program finds a calculator on COM1 in every exchange.
TEST_F(Demo, AnswersTheDefaultSettingsInEveryExchange) {
    DemoCalculator demo;
    ASSERT_TRUE(demo.start()) << demo.error();
    EXPECT_EQ(qgetenv("TABULON_COM1").toStdString(), demo.linePath());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(demo.linePath())));

    ASSERT_TRUE(startApp({}, true));
    followTheChosenType(demo);
    chooseSettings("COM1", "КСМ-Р", "9600");
    // No to the start question: the handshake was made, and the exchange ends at once, cut
    // short while the calculator had begun to print.
    answer("Связь с вычислителем установлена", msg::IDNO);
    for (int exchange = 1; exchange <= 3; ++exchange) {
        m_messages.clear();
        mainFrame()->commands().run(id::ID_CONNECT);
        ASSERT_TRUE(waitForWorkerEnd());
        ASSERT_EQ(m_messages.size(), 1) << "exchange " << exchange;
        EXPECT_EQ(m_messages[0].text.toStdString(),
                  "Связь с вычислителем установлена.\nНачать прием данных?")
            << "exchange " << exchange;
        mainFrame()->exchange().OnTimer(1);
    }
}

}  // namespace

// Whatever type the operator picks, the demo calculator answers as that type does: a КСМ wants
// its one-byte reply, a КСМ-Ж no handshake at all.
TEST_F(Demo, PlaysTheTypeTheOperatorChose) {
    DemoCalculator demo;
    ASSERT_TRUE(demo.start()) << demo.error();
    ASSERT_TRUE(startApp({}, true));
    followTheChosenType(demo);
    answer("Связь с вычислителем установлена", msg::IDNO);
    for (const char* type : {"КСМ", "КСМ-Ж", "КСМ-СП", "КСМ-Р"}) {
        chooseSettings("COM1", type, "19200");
        m_messages.clear();
        mainFrame()->commands().run(id::ID_CONNECT);
        ASSERT_TRUE(waitForWorkerEnd());
        ASSERT_EQ(m_messages.size(), 1) << type;
        EXPECT_EQ(m_messages[0].text.toStdString(),
                  "Связь с вычислителем установлена.\nНачать прием данных?")
            << type;
        mainFrame()->exchange().OnTimer(1);
    }
}

// Behind ser2net the demo calculator is a network serial server on 127.0.0.1, and each exchange
// with a new type gets a new server in front of the new line.
TEST_F(Demo, BehindSer2netEachExchangeReachesTheCalculator) {
    DemoCalculator demo(DemoCalculator::Route::Rfc2217);
    ASSERT_TRUE(demo.start()) << demo.error();
    EXPECT_EQ(demo.linePath().rfind("rfc2217://127.0.0.1:", 0), 0u) << demo.linePath();
    ASSERT_TRUE(startApp({}, true));
    followTheChosenType(demo);
    answer("Связь с вычислителем установлена", msg::IDNO);
    for (const char* type : {"КСМ", "КСМ-Р"}) {
        chooseSettings("COM1", type, "4800");
        m_messages.clear();
        mainFrame()->commands().run(id::ID_CONNECT);
        ASSERT_TRUE(waitForWorkerEnd());
        ASSERT_EQ(m_messages.size(), 1) << type;
        EXPECT_EQ(m_messages[0].text.toStdString(),
                  "Связь с вычислителем установлена.\nНачать прием данных?")
            << type;
        mainFrame()->exchange().OnTimer(1);
    }
}
