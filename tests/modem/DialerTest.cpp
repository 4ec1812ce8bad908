// The dialer against the fake modem over a real pseudo-terminal: each answer of the modem,
// each way a call ends, a modem left in a call by another program.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "modem/HayesDialer.h"
#include "platform/WakeSignal.h"
#include "tests/modem/ModemRig.h"
#include "tools/CalculatorSimulator.h"

using namespace std::chrono_literals;
using Answer = ModemCallScript::Answer;

namespace {

constexpr const char* kNumber = "5551234";

struct AnswerCase {
    const char* name;
    Answer answer;
    std::string init;
    std::string bearer;
    DialOutcome expected;
    bool worthAnotherTry;
    const char* lastCommand;  // what the modem refused or answered last before the hang-up
};

void PrintTo(const AnswerCase& c, std::ostream* os) {
    *os << c.name;
}

class DialAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

// The handshake of a type-0 calculator through the call: the bridge carries both ways.
void expectCalculatorAnswers(SerialPort& line, HayesDialer& dialer) {
    const std::uint8_t handshake = 0x55;
    ASSERT_EQ(line.write({&handshake, 1}, 1s).status, SerialPort::Status::Ok);
    std::string reply = dialer.takeCallBytes();
    std::uint8_t buffer[16];
    for (int i = 0; i < 50 && reply.size() < 2; ++i) {
        const SerialPort::Result r = line.read(buffer, 100ms);
        reply.append(reinterpret_cast<const char*>(buffer), r.count);
    }
    EXPECT_EQ(reply.substr(0, 2), std::string("\x00\x55", 2));
}

TEST_P(DialAnswerTest, IsToldAndTheModemEndsOnHook) {
    const AnswerCase& c = GetParam();
    CalculatorSimulator calculator({});
    ASSERT_TRUE(calculator.start()) << calculator.error();
    ModemSimulatorOptions options = quickModem();
    options.numbers[kNumber] = script(c.answer, calculator.slavePath());
    ModemSimulator modem(options);
    ASSERT_TRUE(modem.start()) << modem.error();
    auto line = openModemLine(modem);
    ASSERT_TRUE(line);
    SteadyClock clock;
    DialPlan plan = quickPlan(kNumber);
    if (!c.init.empty()) plan.init = c.init;
    plan.bearer = c.bearer;
    HayesDialer dialer(*line, clock, plan);
    std::atomic<int> stop{0};

    ASSERT_EQ(dialer.dial(stop, nullptr), c.expected) << eventLog(modem.events());
    EXPECT_EQ(worthAnotherTry(c.expected), c.worthAnotherTry);
    EXPECT_EQ(dialOutcomeText(c.expected, 90).isEmpty(), c.expected == DialOutcome::Connected);
    if (c.expected == DialOutcome::Connected) {
        EXPECT_EQ(dialer.connectText(), "CONNECT 9600/RLP");
        expectCalculatorAnswers(*line, dialer);
        dialer.hangUp();
    }
    const std::vector<ModemEvent> events = modem.events();
    EXPECT_GT(lastEvent(events, "ATH"), lastEvent(events, c.lastCommand)) << eventLog(events);
    if (lastEvent(events, "ATD") >= 0)
        expectOnHookAfter(modem, "ATD");
    else
        EXPECT_FALSE(modem.offHook());
}

const std::string kRefusedInit = std::string(DialPlan::kDefaultInit) + "&Q9";

INSTANTIATE_TEST_SUITE_P(
    Modem, DialAnswerTest,
    ::testing::Values(
        AnswerCase{"Connect", Answer::Connect, "", "AT+CBST=7,0,1", DialOutcome::Connected, false,
                   "+++"},
        AnswerCase{"Busy", Answer::Busy, "", "", DialOutcome::Busy, true, "ATD"},
        AnswerCase{"NoAnswer", Answer::NoAnswer, "", "", DialOutcome::NoAnswer, true, "ATD"},
        AnswerCase{"NoCarrier", Answer::NoCarrier, "", "", DialOutcome::NoCarrier, true, "ATD"},
        AnswerCase{"NoDialtone", Answer::NoDialtone, "", "", DialOutcome::NoDialtone, false, "ATD"},
        AnswerCase{"BearerRefused", Answer::Connect, "", "AT+CBST=99,0,1",
                   DialOutcome::BearerRefused, false, "AT+CBST"},
        AnswerCase{"InitRefused", Answer::Connect, kRefusedInit, "", DialOutcome::Error, false,
                   "AT&F"}),
    [](const auto& info) { return std::string(info.param.name); });

// How a call ends when it does not end by itself.
enum class Ending { StopWhileDialling, StopDuringCall, DialerGone, EscapeUnheardDtrHangsUp };

struct EndingCase {
    const char* name;
    Ending ending;
};

void PrintTo(const EndingCase& c, std::ostream* os) {
    *os << c.name;
}

class HangUpTest : public ::testing::TestWithParam<EndingCase> {};

void endCall(Ending ending, std::unique_ptr<HayesDialer>& dialer, SerialPort& line,
             std::atomic<int>& stop, WakeSignal& wake) {
    if (ending == Ending::StopDuringCall) {  // as the exchange leaves the line: woken, stopped
        line.setWake(&wake);
        stop = 1;
        wake.raise();
    }
    if (ending == Ending::DialerGone)
        dialer.reset();
    else
        dialer->hangUp();
}

TEST_P(HangUpTest, LeavesTheModemOnHook) {
    const Ending ending = GetParam().ending;
    ModemSimulatorOptions options = quickModem();
    const bool dialling = ending == Ending::StopWhileDialling;
    options.numbers[kNumber] = script(dialling ? Answer::Silent : Answer::Connect);
    // A modem whose guard time is longer than the dialer's takes its "+++" for data.
    if (ending == Ending::EscapeUnheardDtrHangsUp) options.guardTime = 5s;
    ModemSimulator modem(options);
    ASSERT_TRUE(modem.start()) << modem.error();
    auto line = openModemLine(modem);
    ASSERT_TRUE(line);
    SteadyClock clock;
    std::atomic<int> stop{0};
    WakeSignal wake;
    auto dialer = std::make_unique<HayesDialer>(*line, clock, quickPlan(kNumber));

    std::thread stopper([&] {
        if (!dialling) return;
        ASSERT_TRUE(waitForEvent(modem, "ATD"));
        stop = 1;
        wake.raise();
    });
    const DialOutcome outcome = dialer->dial(stop, &wake);
    stopper.join();
    EXPECT_EQ(outcome, dialling ? DialOutcome::Stopped : DialOutcome::Connected);
    if (!dialling) endCall(ending, dialer, *line, stop, wake);
    expectOnHookAfter(modem, dialling ? "ATD" : "-> CONNECT");
    const std::vector<ModemEvent> events = modem.events();
    if (ending == Ending::EscapeUnheardDtrHangsUp) {
        EXPECT_GE(lastEvent(events, "on-hook: DTR"), 0) << eventLog(events);
    } else if (ending == Ending::StopDuringCall) {
        EXPECT_GT(lastEvent(events, "on-hook: ATH"), lastEvent(events, "+++")) << eventLog(events);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modem, HangUpTest,
    ::testing::Values(EndingCase{"StopWhileDialling", Ending::StopWhileDialling},
                      EndingCase{"StopDuringCall", Ending::StopDuringCall},
                      EndingCase{"DialerGone", Ending::DialerGone},
                      EndingCase{"EscapeUnheardDtrHangsUp", Ending::EscapeUnheardDtrHangsUp}),
    [](const auto& info) { return std::string(info.param.name); });

// Another program dialled, got its call and left without hanging up: passing data, or taking
// commands after "+++" but still off-hook.
struct LeftCase {
    const char* name;
    bool escaped;
};

void PrintTo(const LeftCase& c, std::ostream* os) {
    *os << c.name;
}

class LeftOffHookTest : public ::testing::TestWithParam<LeftCase> {};

void leaveInCall(ModemSimulator& modem, bool escaped) {
    SerialOpenResult other = openSerialPort(modem.slavePath(), 9600);
    ASSERT_TRUE(other.port);
    const std::string dial = std::string("ATD") + kNumber + "\r";
    other.port->write({reinterpret_cast<const std::uint8_t*>(dial.data()), dial.size()}, 1s);
    ASSERT_TRUE(waitForEvent(modem, "-> CONNECT"));
    if (escaped) {
        std::this_thread::sleep_for(200ms);
        other.port->write({reinterpret_cast<const std::uint8_t*>("+++"), 3}, 1s);
        ASSERT_TRUE(waitForEvent(modem, "+++"));
    }
    ASSERT_TRUE(modem.offHook());
}

TEST_P(LeftOffHookTest, IsHungUpBeforeTheNewCall) {
    ModemSimulatorOptions options = quickModem();
    options.numbers[kNumber] = script(Answer::Connect);
    ModemSimulator modem(options);
    ASSERT_TRUE(modem.start()) << modem.error();
    leaveInCall(modem, GetParam().escaped);
    auto line = openModemLine(modem);
    ASSERT_TRUE(line);
    SteadyClock clock;
    std::atomic<int> stop{0};
    HayesDialer dialer(*line, clock, quickPlan(kNumber));

    ASSERT_EQ(dialer.dial(stop, nullptr), DialOutcome::Connected) << eventLog(modem.events());
    const std::vector<ModemEvent> events = modem.events();
    const int newDial = lastEvent(events, "ATD");
    EXPECT_GT(newDial, lastEvent(events, "on-hook")) << eventLog(events);
    EXPECT_GT(lastEvent(events, "on-hook"), lastEvent(events, "line closed")) << eventLog(events);
    dialer.hangUp();
    expectOnHookAfter(modem, "ATD");
}

INSTANTIATE_TEST_SUITE_P(Modem, LeftOffHookTest,
                         ::testing::Values(LeftCase{"InCall", false},
                                           LeftCase{"TakingCommands", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
