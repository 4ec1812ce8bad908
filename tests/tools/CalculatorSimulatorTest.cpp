#include <gtest/gtest.h>

#include <thread>

#include "platform/SerialPort.h"
#include "tools/CalculatorSimulator.h"

namespace {

using namespace std::chrono_literals;
using Status = SerialPort::Status;

// The program's side of the line, played by the test itself.
class Peer {
public:
    explicit Peer(const std::string& path) : m_port(openSerialPort(path, 9600).port) {}
    bool ok() const { return m_port != nullptr; }
    void close() { m_port.reset(); }

    void send(std::vector<std::uint8_t> bytes) {
        while (!bytes.empty()) {
            const auto r = m_port->write(bytes, 1000ms);
            ASSERT_EQ(r.status, Status::Ok);
            bytes.erase(bytes.begin(), bytes.begin() + r.count);
        }
    }
    // Up to `count` bytes; fewer when the line stays silent for `silence` or hangs up.
    std::vector<std::uint8_t> receive(std::size_t count,
                                      std::chrono::milliseconds silence = 500ms) {
        std::vector<std::uint8_t> got;
        while (got.size() < count) {
            std::uint8_t b[4096];
            const auto r = m_port->read({b, std::min(sizeof b, count - got.size())}, silence);
            m_last = r.status;
            if (r.status != Status::Ok) break;
            got.insert(got.end(), b, b + r.count);
        }
        return got;
    }
    // Reads one byte at a time and answers each with `echo(byte)`, until silence or hang-up.
    std::vector<std::uint8_t> echoAll(const std::function<std::uint8_t(std::uint8_t)>& echo,
                                      std::chrono::milliseconds silence = 500ms) {
        std::vector<std::uint8_t> got;
        for (;;) {
            std::uint8_t b = 0;
            const auto r = m_port->read({&b, 1}, silence);
            m_last = r.status;
            if (r.status != Status::Ok) return got;
            got.push_back(b);
            send({echo(b)});
        }
    }
    Status last() const { return m_last; }

private:
    std::unique_ptr<SerialPort> m_port;
    Status m_last = Status::Ok;
};

std::uint8_t same(std::uint8_t b) {
    return b;
}

CalculatorSimulatorOptions optionsFor(int type) {
    CalculatorSimulatorOptions o;
    o.deviceType = type;
    o.stream.forms = {"АБВ", "где"};
    return o;
}
const std::vector<std::uint8_t> kStream{0x80, 0x81, 0x82, 0x1A, 0xA3, 0xA4, 0xA5, 0x1A};

class SimulatorTypeTest : public testing::TestWithParam<int> {};

TEST_P(SimulatorTypeTest, AnswersTheHandshakeAndSendsTheFormsAsTheTypeDoes) {
    const int type = GetParam();
    CalculatorSimulator sim(optionsFor(type));
    ASSERT_TRUE(sim.start()) << sim.error();
    Peer peer(sim.slavePath());
    ASSERT_TRUE(peer.ok());
    std::vector<std::uint8_t> got;
    if (type == 4) {
        got = peer.receive(kStream.size());
    } else {
        peer.send({0x55});
        const auto expected =
            type == 5 ? std::vector<std::uint8_t>{0x55} : std::vector<std::uint8_t>{0x00, 0x55};
        EXPECT_EQ(peer.receive(expected.size()), expected);
        got = peer.echoAll(same, 300ms);
    }
    EXPECT_EQ(got, kStream);
    peer.close();
    ASSERT_TRUE(sim.waitFinished(5s));
    const CalculatorSimulatorReport r = sim.report();
    EXPECT_EQ(r.exchanges, 1);
    EXPECT_EQ(r.handshakesSeen, type == 4 ? 0 : 1);
    EXPECT_EQ(r.streamsCompleted, 1);
    EXPECT_EQ(r.bytesSent, kStream.size());
    EXPECT_EQ(r.echoesChecked, type == 4 ? 0u : kStream.size());
    EXPECT_EQ(r.echoErrors, 0u);
    EXPECT_TRUE(r.problems.empty());
}

INSTANTIATE_TEST_SUITE_P(Types, SimulatorTypeTest, testing::Range(0, 6));

TEST(CalculatorSimulator, ReportsWrongAndMissingEchoes) {
    CalculatorSimulatorOptions o = optionsFor(2);
    o.echoTimeout = 200ms;
    CalculatorSimulator sim(o);
    ASSERT_TRUE(sim.start());
    Peer peer(sim.slavePath());
    peer.send({0x55});
    peer.receive(2);
    // Three wrong echoes, then none: the calculator gives up after the fourth byte.
    int answered = 0;
    std::vector<std::uint8_t> got;
    for (; answered < 4; ++answered) {
        const auto b = peer.receive(1);
        ASSERT_EQ(b.size(), 1u);
        got.push_back(b[0]);
        if (answered < 3) peer.send({static_cast<std::uint8_t>(b[0] ^ 1)});
    }
    EXPECT_TRUE(peer.receive(1, 500ms).empty());
    peer.close();
    ASSERT_TRUE(sim.waitFinished(5s));
    const auto r = sim.report();
    EXPECT_EQ(r.bytesSent, 4u);
    EXPECT_EQ(r.echoesChecked, 3u);
    EXPECT_EQ(r.echoErrors, 3u);
    EXPECT_EQ(r.echoesMissing, 1u);
    EXPECT_EQ(r.streamsCompleted, 0);
    EXPECT_FALSE(r.problems.empty());
}

TEST(CalculatorSimulator, WrongReplyOrNoneAtAll) {
    CalculatorSimulatorOptions o = optionsFor(0);
    o.reply = CalculatorSimulatorOptions::Reply::Custom;
    o.customReply = {0x55, 0x00};
    {
        CalculatorSimulator sim(o);
        ASSERT_TRUE(sim.start());
        Peer peer(sim.slavePath());
        peer.send({0x55});
        EXPECT_EQ(peer.receive(2), (std::vector<std::uint8_t>{0x55, 0x00}));
    }
    o.reply = CalculatorSimulatorOptions::Reply::None;
    CalculatorSimulator sim(o);
    ASSERT_TRUE(sim.start());
    Peer peer(sim.slavePath());
    peer.send({0x55});
    EXPECT_TRUE(peer.receive(1, 300ms).empty());
    EXPECT_EQ(peer.last(), Status::Timeout);
    peer.close();
    ASSERT_TRUE(sim.waitFinished(5s));
    EXPECT_EQ(sim.report().handshakesSeen, 1);
    EXPECT_EQ(sim.report().bytesSent, 0u);
}

TEST(CalculatorSimulator, VanishesAfterTheGivenNumberOfBytes) {
    CalculatorSimulatorOptions o = optionsFor(0);
    o.vanishAfter = 5;
    CalculatorSimulator sim(o);
    ASSERT_TRUE(sim.start());
    Peer peer(sim.slavePath());
    peer.send({0x55});
    peer.receive(2);
    const auto got = peer.echoAll(same, 2000ms);
    EXPECT_EQ(got, std::vector<std::uint8_t>(kStream.begin(), kStream.begin() + 5));
    EXPECT_EQ(peer.last(), Status::Hangup);
    ASSERT_TRUE(sim.waitFinished(5s));
    EXPECT_TRUE(sim.report().vanished);
    EXPECT_EQ(sim.report().echoesChecked, 5u);
}

TEST(CalculatorSimulator, ServesOneExchangeForEachOpening) {
    CalculatorSimulatorOptions o = optionsFor(4);
    o.exchanges = 2;
    CalculatorSimulator sim(o);
    ASSERT_TRUE(sim.start());
    for (int i = 0; i < 2; ++i) {
        Peer peer(sim.slavePath());
        ASSERT_TRUE(peer.ok());
        EXPECT_EQ(peer.receive(kStream.size()), kStream);
        EXPECT_TRUE(peer.receive(1, 100ms).empty());  // then silence
        if (i == 1) peer.send({'?'});                 // type 4 is never written to
        peer.close();
        if (i == 0) {
            EXPECT_FALSE(sim.waitFinished(200ms));
        }
    }
    ASSERT_TRUE(sim.waitFinished(5s));
    const auto r = sim.report();
    EXPECT_EQ(r.exchanges, 2);
    EXPECT_EQ(r.streamsCompleted, 2);
    EXPECT_EQ(r.unexpectedBytes, 1u);
}

// A program that let go in the middle of a stream must not find its tail when it comes back.
TEST(CalculatorSimulator, NextExchangeStartsCleanAfterOneCutShort) {
    CalculatorSimulatorOptions o = optionsFor(4);
    o.exchanges = 2;
    CalculatorSimulator sim(o);
    ASSERT_TRUE(sim.start());
    {
        Peer first(sim.slavePath());
        ASSERT_TRUE(first.ok());
        EXPECT_EQ(first.receive(2).size(), 2u);
        EXPECT_EQ(first.receive(1, 100ms).size(), 1u);  // the rest is waiting, unread
    }
    std::this_thread::sleep_for(100ms);  // an operator's reconnect, slow enough to see the hang-up
    Peer second(sim.slavePath());
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second.receive(kStream.size()), kStream);
    second.close();
    ASSERT_TRUE(sim.waitFinished(5s));
}

// A program that closes the line and opens it again at once leaves no hang-up to see; the
// handshake byte then starts the next exchange, but only while exchanges remain to serve.
TEST(CalculatorSimulator, HandshakeAfterTheStreamStartsTheNextExchange) {
    CalculatorSimulatorOptions o = optionsFor(5);
    o.exchanges = 2;
    CalculatorSimulator sim(o);
    ASSERT_TRUE(sim.start());
    Peer peer(sim.slavePath());
    for (int i = 0; i < 2; ++i) {
        peer.send({0x55});
        EXPECT_EQ(peer.receive(1), std::vector<std::uint8_t>{0x55});
        EXPECT_EQ(peer.echoAll(same, 300ms), kStream);
    }
    peer.send({0x55});
    EXPECT_TRUE(peer.receive(1, 300ms).empty());
    peer.close();
    ASSERT_TRUE(sim.waitFinished(5s));
    const auto r = sim.report();
    EXPECT_EQ(r.exchanges, 2);
    EXPECT_EQ(r.streamsCompleted, 2);
    EXPECT_EQ(r.handshakesSeen, 2);
    EXPECT_EQ(r.unexpectedBytes, 1u);
}

TEST(CalculatorSimulator, BytesBeforeTheHandshakeAreUnexpected) {
    CalculatorSimulator sim(optionsFor(5));
    ASSERT_TRUE(sim.start());
    Peer peer(sim.slavePath());
    peer.send({0x01, 0x02, 0x55});
    EXPECT_EQ(peer.receive(1), std::vector<std::uint8_t>{0x55});
    EXPECT_EQ(peer.echoAll(same, 300ms), kStream);
    peer.close();
    ASSERT_TRUE(sim.waitFinished(5s));
    EXPECT_EQ(sim.report().unexpectedBytes, 2u);
    EXPECT_EQ(sim.report().echoErrors, 0u);
}

TEST(CalculatorSimulator, StopEndsAnyWait) {
    CalculatorSimulator waitingForOpen(optionsFor(0));
    ASSERT_TRUE(waitingForOpen.start());
    waitingForOpen.stop();
    EXPECT_TRUE(waitingForOpen.waitFinished(5s));

    CalculatorSimulatorOptions o = optionsFor(0);
    o.echoTimeout = 0ms;  // would wait for ever
    CalculatorSimulator waitingForEcho(o);
    ASSERT_TRUE(waitingForEcho.start());
    Peer peer(waitingForEcho.slavePath());
    peer.send({0x55});
    EXPECT_EQ(peer.receive(3).size(), 3u);  // the reply and the first byte, never echoed
    EXPECT_FALSE(waitingForEcho.waitFinished(100ms));
    waitingForEcho.stop();
    EXPECT_TRUE(waitingForEcho.waitFinished(5s));
    EXPECT_EQ(waitingForEcho.report().echoesMissing, 0u);
    // The simulator closed its end: the program sees the device vanish.
    peer.receive(1, 1000ms);
    EXPECT_EQ(peer.last(), Status::Hangup);
}

TEST(CalculatorSimulator, RefusesWhatItCannotOpen) {
    CalculatorSimulatorOptions o;
    o.device = "/nonexistent/tty";
    CalculatorSimulator sim(o);
    EXPECT_FALSE(sim.start());
    EXPECT_FALSE(sim.error().empty());
    o.device.clear();
    o.deviceType = 6;
    CalculatorSimulator badType(o);
    EXPECT_FALSE(badType.start());
}

}  // namespace
