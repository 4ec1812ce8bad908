#include <QFileInfo>

#include "AppFixture.h"
#include "app/DemoCalculator.h"
#include "app/MessageBox.h"
#include "frames/MainFrame.h"
#include "res/CommandIds.h"

namespace {

class Demo : public AppFixture {};

// With the default settings the program finds a calculator on COM1 in every exchange.
TEST_F(Demo, AnswersTheDefaultSettingsInEveryExchange) {
    DemoCalculator demo;
    ASSERT_TRUE(demo.Start()) << demo.Error();
    EXPECT_EQ(qgetenv("TABULON_COM1").toStdString(), demo.LinePath());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(demo.LinePath())));

    ASSERT_TRUE(StartApp({}, true));
    QObject::connect(&Frame()->Exchange(), &ExchangeControl::exchangeStarted,
                     [&demo] { demo.PrepareExchange(); });
    ChooseSettings("COM1", "КСМ-Р", "9600");
    // No to the start question: the handshake was made, and the exchange ends at once, cut
    // short while the calculator had begun to print.
    Answer("Связь с вычислителем установлена", msg::IDNO);
    for (int exchange = 1; exchange <= 3; ++exchange) {
        m_messages.clear();
        Frame()->OnCommand(id::ID_CONNECT);
        ASSERT_TRUE(WaitForWorkerEnd());
        ASSERT_EQ(m_messages.size(), 1) << "exchange " << exchange;
        EXPECT_EQ(m_messages[0].text.toStdString(),
                  "Связь с вычислителем установлена.\nНачать прием данных?")
            << "exchange " << exchange;
        Frame()->OnTimer(1);
    }
}

}  // namespace
