#include <gtest/gtest.h>

#include "tools/Cp866Encoder.h"
#include "tools/SampleForms.h"
#include "tools/SimulatorStream.h"

namespace {

std::vector<std::uint8_t> bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST(SimulatorStream, FormsEndedTailOpenRawLast) {
    SimulatorStreamParts parts;
    parts.forms = {"АБ", "", "x"};
    parts.tailText = "я";
    parts.rawBytes = {0x00, 0x1A, 0xFF};
    const std::vector<std::uint8_t> expected{0x80, 0x81, 0x1A, 0x1A, 'x',
                                             0x1A, 0xEF, 0x00, 0x1A, 0xFF};
    EXPECT_EQ(buildSimulatorStream(parts), expected);
}

TEST(SimulatorStream, LineEndsBecomeCrLfOnce) {
    SimulatorStreamParts parts;
    parts.forms = {"a\nb\r\nc\n"};
    EXPECT_EQ(buildSimulatorStream(parts), bytes("a\r\nb\r\nc\r\n\x1A"));
    parts.crlf = false;
    EXPECT_EQ(buildSimulatorStream(parts), bytes("a\nb\r\nc\n\x1A"));
}

TEST(SampleForms, AreWholeInTheCodePageAndHoldNoFormEnd) {
    const auto& samples = sampleForms();
    ASSERT_EQ(samples.size(), 4u);
    EXPECT_EQ(samples[0].name, "daily.txt");
    for (const SampleForm& f : samples) {
        SCOPED_TRACE(std::string(f.name));
        EXPECT_GT(f.text.size(), 500u);
        // '?' would mean a character the calculator cannot print.
        const std::string encoded = utf8ToCp866(f.text, '\0');
        EXPECT_EQ(encoded.find('\0'), std::string::npos);
        EXPECT_EQ(encoded.find('\x1A'), std::string::npos);
        EXPECT_NE(std::string(f.text).find("КСМ"), std::string::npos);
    }
}

}  // namespace
