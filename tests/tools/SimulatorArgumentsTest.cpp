#include <gtest/gtest.h>

#include <functional>

#include "tools/SimulatorArguments.h"

namespace {

struct ArgsCase {
    std::string name;
    std::vector<std::string> args;
    bool ok;
    std::function<bool(const SimulatorArguments&)> check;
};

void PrintTo(const ArgsCase& c, std::ostream* os) {
    *os << c.name;
}

class SimulatorArgumentsTest : public testing::TestWithParam<ArgsCase> {};

TEST_P(SimulatorArgumentsTest, Parses) {
    const ArgsCase& c = GetParam();
    const SimulatorArguments a = parseSimulatorArguments(c.args);
    EXPECT_EQ(a.error.empty(), c.ok) << a.error;
    if (c.ok && c.check) {
        EXPECT_TRUE(c.check(a));
    }
}

using Reply = CalculatorSimulatorOptions::Reply;

INSTANTIATE_TEST_SUITE_P(
    CommandLine, SimulatorArgumentsTest,
    testing::Values(
        ArgsCase{"defaults",
                 {},
                 true,
                 [](const auto& a) {
                     const auto& o = a.options;
                     return o.deviceType == 0 && o.device.empty() && o.rate == 9600 &&
                            o.reply == Reply::AsType && o.exchanges == 1 && o.stream.crlf &&
                            !o.vanishAfter && a.formFiles.empty() && !a.samples;
                 }},
        ArgsCase{"files and type",
                 {"a.txt", "--type", "5", "b.txt", "--samples"},
                 true,
                 [](const auto& a) {
                     return a.options.deviceType == 5 && a.samples &&
                            a.formFiles == std::vector<std::string>{"a.txt", "b.txt"};
                 }},
        ArgsCase{"wrong reply",
                 {"--reply", "5500"},
                 true,
                 [](const auto& a) {
                     return a.options.reply == Reply::Custom &&
                            a.options.customReply == std::vector<std::uint8_t>{0x55, 0x00};
                 }},
        ArgsCase{"no reply",
                 {"--no-reply"},
                 true,
                 [](const auto& a) { return a.options.reply == Reply::None; }},
        ArgsCase{"pacing and limits",
                 {"--bps", "960", "--line-rate", "--rate", "2400", "--echo-timeout", "0",
                  "--start-delay", "250", "--vanish-after", "0", "--exchanges", "0", "--lf"},
                 true,
                 [](const auto& a) {
                     const auto& o = a.options;
                     return o.bytesPerSecond == 960 && o.paceAtLineRate && o.rate == 2400 &&
                            o.echoTimeout.count() == 0 && o.startDelay.count() == 250 &&
                            o.vanishAfter == 0u && o.exchanges == 0 && !o.stream.crlf;
                 }},
        ArgsCase{"tail and raw",
                 {"--tail", "ИТОГО", "--raw", "1a00Ff", "--device", "/dev/ttyUSB0"},
                 true,
                 [](const auto& a) {
                     const auto& o = a.options;
                     return o.stream.tailText == "ИТОГО" && o.device == "/dev/ttyUSB0" &&
                            o.stream.rawBytes == std::vector<std::uint8_t>{0x1A, 0x00, 0xFF};
                 }},
        ArgsCase{"help", {"--help"}, true, [](const auto& a) { return a.help; }},
        ArgsCase{"type out of range", {"--type", "6"}, false, nullptr},
        ArgsCase{"type not a number", {"--type", "5x"}, false, nullptr},
        ArgsCase{"negative rate", {"--rate", "-9600"}, false, nullptr},
        ArgsCase{"missing value", {"--type"}, false, nullptr},
        ArgsCase{"odd hex", {"--raw", "1A0"}, false, nullptr},
        ArgsCase{"bad hex", {"--raw", "zz"}, false, nullptr},
        ArgsCase{"empty reply", {"--reply", ""}, false, nullptr},
        ArgsCase{"unknown option", {"--speed", "9600"}, false, nullptr}));

}  // namespace
