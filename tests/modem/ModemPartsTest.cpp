// The pieces without a line: the result codes the dialer reads, the escape the fake modem hears.
#include <gtest/gtest.h>

#include <vector>

#include "modem/ModemResult.h"
#include "tools/EscapeDetector.h"

namespace {

TEST(ModemResult, ReadsWordsAndNumbersAndNothingElse) {
    const struct {
        const char* line;
        ModemResult expected;
    } cases[] = {
        {"OK", ModemResult::Ok},
        {"OK ", ModemResult::Ok},
        {"0", ModemResult::Ok},
        {"CONNECT", ModemResult::Connect},
        {"CONNECT 9600/RLP", ModemResult::Connect},
        {"CONNECT 9600", ModemResult::Connect},
        {"CONNECTED", ModemResult::None},
        {"3", ModemResult::NoCarrier},
        {"NO CARRIER", ModemResult::NoCarrier},
        {"NO DIAL TONE", ModemResult::NoDialtone},
        {"NO DIALTONE", ModemResult::NoDialtone},
        {"BUSY", ModemResult::Busy},
        {"NO ANSWER", ModemResult::NoAnswer},
        {"ERROR", ModemResult::Error},
        {"ATD5551234", ModemResult::None},  // the echo of a command
        {"+CBST: 7,0,1", ModemResult::None},
    };
    for (const auto& c : cases) EXPECT_EQ(modemResultOf(c.line), c.expected) << c.line;
}

TEST(EscapeDetector, TakesPlusesOnlyWithTheirGuardTimes) {
    struct Byte {
        std::int64_t ms;
        char b;
    };
    const struct {
        const char* name;
        std::vector<Byte> bytes;
        std::int64_t checkMs;
        bool escaped;
    } cases[] = {
        {"guarded", {{200, '+'}, {210, '+'}, {220, '+'}}, 330, true},
        {"no silence after yet", {{200, '+'}, {210, '+'}, {220, '+'}}, 300, false},
        {"too soon after the call", {{50, '+'}, {60, '+'}, {70, '+'}}, 400, false},
        {"data just before", {{150, 'x'}, {200, '+'}, {210, '+'}, {220, '+'}}, 400, false},
        {"pluses too far apart", {{200, '+'}, {350, '+'}, {360, '+'}}, 500, false},
        {"data just after", {{200, '+'}, {210, '+'}, {220, '+'}, {250, 'x'}}, 400, false},
        {"four pluses", {{200, '+'}, {210, '+'}, {220, '+'}, {230, '+'}}, 400, false},
    };
    for (const auto& c : cases) {
        EscapeDetector detector;
        detector.restart(0, 100);
        for (const Byte& b : c.bytes) detector.byte(static_cast<std::uint8_t>(b.b), b.ms);
        EXPECT_EQ(detector.escaped(c.checkMs), c.escaped) << c.name;
    }
}

}  // namespace
