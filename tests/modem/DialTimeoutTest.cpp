// The dialer's time limits in injected time: the fake modem runs in real time, the dialer's
// clock moves only when the test moves it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "modem/HayesDialer.h"
#include "tests/fakes/FakeClock.h"
#include "tests/modem/ModemRig.h"

using namespace std::chrono_literals;

namespace {

struct TimeoutCase {
    const char* name;
    bool deafModem;  // answers nothing: no answer from the modem
    DialOutcome expected;
    std::vector<std::string> commands;  // what the modem took, in order
};

void PrintTo(const TimeoutCase& c, std::ostream* os) {
    *os << c.name;
}

class DialTimeoutTest : public ::testing::TestWithParam<TimeoutCase> {};

TEST_P(DialTimeoutTest, EndsOnHookAtTheLimit) {
    const TimeoutCase& c = GetParam();
    ModemSimulatorOptions options = quickModem();
    options.otherNumbers = script(ModemCallScript::Answer::Silent);
    options.deaf = c.deafModem;
    ModemSimulator modem(options);
    ASSERT_TRUE(modem.start()) << modem.error();
    auto line = openModemLine(modem);
    ASSERT_TRUE(line);
    FakeClock clock;
    DialPlan plan = quickPlan("100");
    HayesDialer dialer(*line, clock, plan);
    std::atomic<int> stop{0};
    std::atomic<bool> done{false};

    // A deaf modem's every wait runs out; a dialling one only the wait for the call's answer.
    const std::int64_t step = c.deafModem ? plan.commandTimeout.count() : 1000 * 90;
    std::thread ticker([&] {
        if (!c.deafModem && !waitForEvent(modem, "ATD")) return;
        while (!done) {
            clock.advance(step);
            std::this_thread::sleep_for(20ms);
        }
    });
    const DialOutcome outcome = dialer.dial(stop, nullptr);
    done = true;
    ticker.join();

    EXPECT_EQ(outcome, c.expected) << eventLog(modem.events());
    std::vector<std::string> commands;
    for (const ModemEvent& e : modem.events())
        if (e.text.starts_with("AT")) commands.push_back(e.text);
    EXPECT_EQ(commands, c.commands);
    EXPECT_FALSE(modem.offHook());
}

INSTANTIATE_TEST_SUITE_P(
    Modem, DialTimeoutTest,
    ::testing::Values(
        TimeoutCase{"NoCallAnswer",
                    false,
                    DialOutcome::DialTimeout,
                    {"AT", "ATH", DialPlan::kDefaultInit, "ATD100", "ATH"}},
        // The wake-up, the whole hang-up and a reset, one more try, and the hang-up of the end.
        TimeoutCase{
            "ModemSilent", true, DialOutcome::ModemSilent, {"AT", "ATH", "ATZ", "AT", "ATH"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
