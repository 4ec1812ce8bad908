#include <gtest/gtest.h>

#include "tools/Cp866Encoder.h"

namespace {

struct EncodeCase {
    std::string utf8;
    std::string cp866;
};

void PrintTo(const EncodeCase& c, std::ostream* os) {
    *os << c.utf8;
}

class Cp866EncoderTest : public testing::TestWithParam<EncodeCase> {};

TEST_P(Cp866EncoderTest, Encodes) {
    EXPECT_EQ(utf8ToCp866(GetParam().utf8), GetParam().cp866);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, Cp866EncoderTest,
    testing::Values(EncodeCase{"", ""}, EncodeCase{"t1 = 94.21 C\r\n", "t1 = 94.21 C\r\n"},
                    EncodeCase{"\x1A\x7F", "\x1A\x7F"},
                    // The letters: capitals, а..п and р..я lie apart in the code page.
                    EncodeCase{"А", "\x80"}, EncodeCase{"Я", "\x9F"}, EncodeCase{"а", "\xA0"},
                    EncodeCase{"п", "\xAF"}, EncodeCase{"р", "\xE0"}, EncodeCase{"я", "\xEF"},
                    EncodeCase{"Ё", "\xF0"}, EncodeCase{"ё", "\xF1"},
                    EncodeCase{"Гкал", "\x83\xAA\xA0\xAB"},
                    // Pseudo-graphics and signs.
                    EncodeCase{"░", "\xB0"}, EncodeCase{"─", "\xC4"}, EncodeCase{"║", "\xBA"},
                    EncodeCase{"█", "\xDB"}, EncodeCase{"▀", "\xDF"}, EncodeCase{"°", "\xF8"},
                    EncodeCase{"№", "\xFC"}, EncodeCase{"\u00A0", "\xFF"},
                    // What the code page lacks, and broken UTF-8, become '?' one for one.
                    EncodeCase{"€", "?"}, EncodeCase{"м³", "\xAC?"}, EncodeCase{"\xFF", "?"},
                    EncodeCase{"a\xD0", "a?"}, EncodeCase{"\xD0z", "?z"},
                    EncodeCase{"\xC0\x80", "?"}, EncodeCase{"\xED\xA0\x80", "?"},
                    EncodeCase{"\xF0\x9F\x98\x80", "?"}));

TEST(Cp866Table, EveryUpperByteRoundTrips) {
    // A wrong or doubled entry in the table shows up as a byte that does not come back.
    for (int b = 0; b < 256; ++b) {
        const char32_t cp = cp866ToUnicode(static_cast<unsigned char>(b));
        std::string utf8;
        if (cp < 0x80) {
            utf8 = std::string(1, static_cast<char>(cp));
        } else if (cp < 0x800) {
            utf8 = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
        } else {
            utf8 = {static_cast<char>(0xE0 | (cp >> 12)),
                    static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (cp & 0x3F))};
        }
        EXPECT_EQ(utf8ToCp866(utf8, '\0'), std::string(1, static_cast<char>(b))) << b;
    }
}

}  // namespace
