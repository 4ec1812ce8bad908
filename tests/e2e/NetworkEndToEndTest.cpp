// The worker against the calculator simulator behind a network server on 127.0.0.1: ser2net in
// raw TCP and in RFC 2217 mode, and pyserial's RFC 2217 server, which offers the COM port option
// itself: the same forms, echoes and messages as on a local line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <thread>
#include <tuple>

#include "platform/WakeSignal.h"
#include "tests/e2e/ExchangeRig.h"
#include "tests/e2e/NetworkRedirector.h"
#include "tools/CalculatorSimulator.h"
#include "tools/SampleForms.h"
#include "tools/Ser2netServer.h"

namespace {

using namespace e2e;

// Raw and Rfc2217 are ser2net's modes.
enum class Peer { Raw, Rfc2217, Pyserial };

std::string peerName(Peer peer) {
    switch (peer) {
        case Peer::Raw:
            return "Raw";
        case Peer::Rfc2217:
            return "Rfc2217";
        default:
            return "Pyserial";
    }
}

void PrintTo(Peer peer, std::ostream* os) {
    *os << peerName(peer);
}

// A simulated calculator served by a network server, both started and ended by the test.
// `serverRate` is ser2net's speed of the line.
struct ServedCalculator {
    ServedCalculator(const CalculatorSimulatorOptions& options, Peer peer, int serverRate = 9600)
        : sim(options) {
        started = sim.start();
        if (!started) {
            error = sim.error();
            return;
        }
        if (peer == Peer::Pyserial) {
            redirector = std::make_unique<NetworkRedirector>(sim.slavePath());
            started = redirector->start();
            if (!started) error = redirector->error();
            return;
        }
        const auto mode =
            peer == Peer::Raw ? Ser2netServer::Mode::Raw : Ser2netServer::Mode::Rfc2217;
        server = std::make_unique<Ser2netServer>(sim.slavePath(), mode, serverRate);
        started = server->start();
        if (!started) error = server->error();
    }
    std::string address() const { return server ? server->address() : redirector->address(); }
    void killServer() { server ? server->kill() : redirector->kill(); }

    CalculatorSimulator sim;
    std::unique_ptr<Ser2netServer> server;
    std::unique_ptr<NetworkRedirector> redirector;
    bool started = false;
    std::string error;
};

Peer peerOf(Peer peer) {
    return peer;
}
Peer peerOf(const std::tuple<Peer, int>& param) {
    return std::get<0>(param);
}

// Tests against pyserial's server are skipped on a machine without python3.
template <typename Param>
class PeerTest : public testing::TestWithParam<Param> {
protected:
    void SetUp() override {
        if (peerOf(this->GetParam()) == Peer::Pyserial && !NetworkRedirector::available())
            GTEST_SKIP() << NetworkRedirector::missing();
    }
};

// The operator stops once form `count` is in and the simulator has had every echo: a server
// that closes its line at once may drop an echo still on its way, which would hide a lost one.
void stopWhenAllEchoed(Exchange& ex, const CalculatorSimulator& sim, std::size_t count) {
    ex.host.on(Kind::NewForm, [&ex, &sim, count](const RecordingHost::Call&) {
        if (ex.host.callsOf(Kind::NewForm).size() != count) return;
        for (int i = 0; i < 1000 && sim.report().streamsCompleted == 0; ++i)
            std::this_thread::sleep_for(5ms);
        ex.rc.requestStop();
    });
}

void expectEveryEchoRight(const CalculatorSimulatorReport& r, int type) {
    EXPECT_EQ(r.handshakesSeen, type == 4 ? 0 : 1);
    EXPECT_EQ(r.echoesChecked, type == 4 ? 0u : r.bytesSent);
    EXPECT_EQ(r.echoErrors, 0u);
    EXPECT_EQ(r.unexpectedBytes, 0u);
    for (const auto& p : r.problems) ADD_FAILURE() << p;
}

class NetworkFormsTest : public PeerTest<std::tuple<Peer, int>> {};

TEST_P(NetworkFormsTest, TwoFormsArriveWithEveryEchoChecked) {
    const auto [peer, type] = GetParam();
    const auto& samples = sampleForms();
    CalculatorSimulatorOptions o;
    o.deviceType = type;
    o.stream.forms = {std::string(samples[0].text), std::string(samples[2].text)};
    ServedCalculator calc(o, peer);
    ASSERT_TRUE(calc.started) << calc.error;

    Exchange ex(calc.address(), type);
    ex.host.answer({msg::IDYES, msg::IDNO});
    if (type != 4) stopWhenAllEchoed(ex, calc.sim, 2);  // type 4 ends after 1 s of silence
    EXPECT_EQ(ex.run(), 0u);

    const QByteArray first = expectedCp1251(samples[0].text);
    const QByteArray second = expectedCp1251(samples[2].text);
    const auto forms = ex.host.forms();
    ASSERT_EQ(forms.size(), 3u);
    EXPECT_EQ(forms[0], first);
    EXPECT_EQ(forms[1], second);
    EXPECT_EQ(ex.host.messages(),
              QStringList({kStartQuestion, closingReport(first.size() + second.size())}));
    EXPECT_EQ(calc.sim.report().streamsCompleted, 1);
    expectEveryEchoRight(calc.sim.report(), type);
}

std::string formsCaseName(const testing::TestParamInfo<std::tuple<Peer, int>>& info) {
    return peerName(std::get<0>(info.param)) + "Type" + std::to_string(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(ThroughSer2net, NetworkFormsTest,
                         testing::Combine(testing::Values(Peer::Raw, Peer::Rfc2217),
                                          testing::Values(0, 4, 5)),
                         formsCaseName);
INSTANTIATE_TEST_SUITE_P(ThroughPyserial, NetworkFormsTest,
                         testing::Combine(testing::Values(Peer::Pyserial),
                                          testing::Values(0, 4, 5)),
                         formsCaseName);

class NetworkLineTest : public PeerTest<Peer> {};

// 0xFF is the no-break space of code page 866 and the Telnet escape byte: it must cross the
// server doubled and come back undoubled in its echo, and reach the form as the no-break space
// of code page 1251.
TEST_P(NetworkLineTest, TelnetEscapeByteArrivesIntactAndIsEchoedOnce) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = {"A\u00A0\u00A0B\u00A0", "\u00A0"};
    ServedCalculator calc(o, GetParam());
    ASSERT_TRUE(calc.started) << calc.error;

    Exchange ex(calc.address(), 0);
    ex.host.answer({msg::IDYES, msg::IDNO});
    stopWhenAllEchoed(ex, calc.sim, 2);
    EXPECT_EQ(ex.run(), 0u);

    const auto forms = ex.host.forms();
    ASSERT_GE(forms.size(), 2u);
    EXPECT_EQ(forms[0], QByteArray("A\xA0\xA0"
                                   "B\xA0"));
    EXPECT_EQ(forms[1], QByteArray("\xA0"));
    expectEveryEchoRight(calc.sim.report(), 0);
    EXPECT_EQ(calc.sim.report().bytesSent, 8u);
}

// The server loses power half way through a form: the broken line, and all text so far.
TEST_P(NetworkLineTest, ServerKilledMidFormKeepsTheTextSoFar) {
    const auto& samples = sampleForms();
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = {std::string(samples[0].text)};
    ServedCalculator calc(o, GetParam());
    ASSERT_TRUE(calc.started) << calc.error;

    Exchange ex(calc.address(), 0);
    ex.host.answer({msg::IDYES, msg::IDNO});
    ex.host.on(Kind::StepProgress, [&](const RecordingHost::Call&) {
        if (ex.host.callsOf(Kind::StepProgress).size() == 2) calc.killServer();
    });
    EXPECT_EQ(ex.run(), 0u);

    EXPECT_EQ(ex.host.messages(), QStringList({kStartQuestion, kLinkBroken}));
    const auto forms = ex.host.forms();
    ASSERT_EQ(forms.size(), 1u);
    const QByteArray whole = expectedCp1251(samples[0].text);
    EXPECT_GE(forms[0].size(), 400);
    EXPECT_LT(forms[0].size(), whole.size());
    EXPECT_TRUE(whole.startsWith(forms[0]));
    EXPECT_TRUE(ex.host.written().empty());
    EXPECT_EQ(ex.rc.m_bReceiving, 0);
}

// A calculator that needs no handshake may send before the server has opened its line, as it
// does when another program held the line first: the server keeps what the line holds.
TEST_P(NetworkLineTest, StreamSentBeforeTheServerOpenedTheLineArrives) {
    const auto& samples = sampleForms();
    CalculatorSimulatorOptions o;
    o.deviceType = 4;
    o.stream.forms = {std::string(samples[0].text)};
    ServedCalculator calc(o, GetParam());
    ASSERT_TRUE(calc.started) << calc.error;
    const int early = ::open(calc.sim.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(early, 0);
    for (int i = 0; i < 1000 && calc.sim.report().streamsCompleted == 0; ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_EQ(calc.sim.report().streamsCompleted, 1);

    Exchange ex(calc.address(), 4);
    ex.host.answer({msg::IDYES, msg::IDNO});
    EXPECT_EQ(ex.run(), 0u);
    ::close(early);

    const auto forms = ex.host.forms();
    ASSERT_GE(forms.size(), 1u);
    EXPECT_EQ(forms[0], expectedCp1251(samples[0].text));
}

INSTANTIATE_TEST_SUITE_P(ThroughSer2net, NetworkLineTest, testing::Values(Peer::Raw, Peer::Rfc2217),
                         [](const auto& info) { return peerName(info.param); });
INSTANTIATE_TEST_SUITE_P(ThroughPyserial, NetworkLineTest, testing::Values(Peer::Pyserial),
                         [](const auto& info) { return peerName(info.param); });

class RemoteSpeedTest : public testing::TestWithParam<int> {};

// ser2net starts the line at 1200 bit/s, a speed the dialog does not offer: what the
// pseudo-terminal shows while the exchange runs is what the worker asked for.
TEST_P(RemoteSpeedTest, SpeedChosenReachesTheServersLine) {
    const int rate = GetParam();
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = {"ABC"};
    ServedCalculator calc(o, Peer::Rfc2217, 1200);
    ASSERT_TRUE(calc.started) << calc.error;

    Exchange ex(calc.address(), 0, rate);
    int seen = -1;
    ex.host.setAnswerer([&](const QString&, unsigned) {
        seen = calc.sim.lineRate();
        return msg::IDNO;
    });
    EXPECT_EQ(ex.run(), 0u);
    EXPECT_EQ(ex.host.messages(), QStringList{kStartQuestion});
    EXPECT_EQ(seen, rate);
}

INSTANTIATE_TEST_SUITE_P(DialogSpeeds, RemoteSpeedTest, testing::Values(2400, 4800, 9600, 19200),
                         [](const auto& info) { return "Rate" + std::to_string(info.param); });

// The line's settings as the program at its far end left them; false when they cannot be read.
bool farEndSettings(const std::string& device, termios& settings) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool read = ::tcgetattr(fd, &settings) == 0;
    ::close(fd);
    return read;
}

// pyserial's server offers the COM port option before it has answered ours, and starts its line
// at 1200 bit/s with two stop bits and the modem lines low: what the line shows while the worker
// asks its question is what the worker set. A pseudo-terminal takes 8 data bits and no parity
// only, so those two show in the server's log alone.
TEST(PyserialPeer, SettingsTheWorkerAsksForReachItsLine) {
    if (!NetworkRedirector::available()) GTEST_SKIP() << NetworkRedirector::missing();
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = {"ABC"};
    for (const int rate : {2400, 19200}) {
        SCOPED_TRACE(rate);
        ServedCalculator calc(o, Peer::Pyserial);
        ASSERT_TRUE(calc.started) << calc.error;
        Exchange ex(calc.address(), 0, rate);
        int seenRate = -1;
        termios seen{};
        bool seenRead = false;
        ex.host.setAnswerer([&](const QString&, unsigned) {
            seenRate = calc.sim.lineRate();
            seenRead = farEndSettings(calc.sim.slavePath(), seen);
            return msg::IDNO;
        });
        EXPECT_EQ(ex.run(), 0u);
        EXPECT_EQ(ex.host.messages(), QStringList{kStartQuestion});
        EXPECT_EQ(seenRate, rate);
        ASSERT_TRUE(seenRead);
        EXPECT_EQ(seen.c_cflag & CSTOPB, 0u) << "two stop bits left on the line";
        const std::string log = calc.redirector->log();
        for (const char* line :
             {"set data size: 8", "set parity: N", "set stop bits: 1", "DTR on", "RTS on"})
            EXPECT_NE(log.find(line), std::string::npos)
                << "not in the server's log: " << line << "\n"
                << log;
    }
}

// A stop raised while the line waits for a silent calculator ends the wait at once, in both
// modes; without the wake the read would wait its whole hour.
TEST_P(NetworkLineTest, WakeSignalEndsAWaitAtOnce) {
    CalculatorSimulatorOptions o;
    o.deviceType = 4;
    o.startDelay = std::chrono::hours(1);  // opens the line, then says nothing
    ServedCalculator calc(o, GetParam());
    ASSERT_TRUE(calc.started) << calc.error;
    SerialOpenResult opened = openSerialPort(calc.address(), 9600);
    ASSERT_TRUE(opened.port) << opened.error;
    WakeSignal wake;
    opened.port->setWake(&wake);
    auto read = std::async(std::launch::async, [&] {
        std::uint8_t b = 0;
        return opened.port->read({&b, 1}, std::chrono::hours(1)).status;
    });
    std::this_thread::sleep_for(50ms);
    wake.raise();
    ASSERT_EQ(read.wait_for(20s), std::future_status::ready) << "the wake did not end the wait";
    EXPECT_EQ(read.get(), SerialPort::Status::Timeout);
    opened.port->setWake(nullptr);
    calc.sim.stop();
}

TEST(NetworkOpening, NothingListeningIsTheOpeningFailureWithItsCause) {
    const int port = unusedLoopbackPort();
    ASSERT_NE(port, 0);
    for (const char* scheme : {"tcp://", "rfc2217://"}) {
        const std::string address = scheme + std::string("127.0.0.1:") + std::to_string(port);
        Exchange ex(address, 0);
        EXPECT_EQ(ex.run(), 0u);
        EXPECT_EQ(ex.host.messages(),
                  QStringList{kPortInitFailed + "\nСервер " + QString::fromStdString(address) +
                              " отказал в соединении: по этому адресу никто не ждёт."});
        EXPECT_EQ(ex.rc.m_bReceiving, 0);
        EXPECT_EQ(ex.rc.m_bStop, 1);
    }
}

}  // namespace
