#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/SettingsFormat.h"
#include "tests/settings/Cp1251.h"

// Found by argument-dependent lookup, so it stands beside SettingsText in the global namespace.
void PrintTo(const SettingsText& v, std::ostream* os) {
    *os << '{' << v.port << '|' << v.device << '|' << v.rate << '}';
}

namespace {

using namespace std::string_literals;

struct ParseCase {
    const char* name;
    std::string utf8;                    // file contents before conversion to cp1251
    std::optional<SettingsText> values;  // UTF-8 too; nothing for a format error
};

std::ostream& operator<<(std::ostream& os, const ParseCase& c) {
    return os << c.name;
}

class ParseSettingsTextTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseSettingsTextTest, ReadsValuesOrRejects) {
    const ParseCase& c = GetParam();
    const auto parsed = parseSettingsText(cp1251(c.utf8));
    ASSERT_EQ(parsed.has_value(), c.values.has_value());
    if (!c.values) return;
    EXPECT_EQ(parsed->port, cp1251(c.values->port));
    EXPECT_EQ(parsed->device, cp1251(c.values->device));
    EXPECT_EQ(parsed->rate, cp1251(c.values->rate));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseSettingsTextTest,
    ::testing::Values(
        ParseCase{"AsWritten", "PORT = COM1\r\nDEVICE = КСМ-Р\r\nRATE = 9600",
                  SettingsText{"COM1", "КСМ-Р", "9600"}},
        ParseCase{"OneLineNoBlanks", "PORT=COM2DEVICE=КСМ-СRATE=4800",
                  SettingsText{"COM2", "КСМ-С", "4800"}},
        ParseCase{"BlanksInsideKeyAndValue", "P ORT = CO M2\r\nDEVICE = КСМ-Р\r\nRATE = 9600",
                  SettingsText{"COM2", "КСМ-Р", "9600"}},
        ParseCase{"LineBreaksInsideValuesAndKeys",
                  "PORT=CO\nM3\rDEV\r\nICE=КСМ\n-Ж RA\nTE=24\n00\r\n",
                  SettingsText{"COM3", "КСМ-Ж", "2400"}},
        ParseCase{"LowerCaseKeys", "port = COM1\r\ndevice = КСМ-Р\r\nrate = 9600", std::nullopt},
        ParseCase{"TextAfterSpeedJoinsIt",
                  "PORT = COM1\r\nDEVICE = КСМ-Р\r\nRATE = 9600\r\nMODE = 1",
                  SettingsText{"COM1", "КСМ-Р", "9600MODE=1"}},
        ParseCase{"CharactersBeforePortShiftIt", "xxPORT = COM1\r\nDEVICE = КСМ-Р\r\nRATE = 9600",
                  SettingsText{"T=COM1", "КСМ-Р", "9600"}},
        ParseCase{"TabStaysInValue", "PORT =\tCOM1\r\nDEVICE = КСМ-Р\t\r\nRATE = 9600",
                  SettingsText{"\tCOM1", "КСМ-Р\t", "9600"}},
        ParseCase{"EmptyValues", "PORT=DEVICE=RATE=", SettingsText{"", "", ""}},
        ParseCase{"Empty", "", std::nullopt}, ParseCase{"OnlyBlanks", " \r\n \r\n", std::nullopt},
        ParseCase{"NoRate", "PORT = COM1\r\nDEVICE = КСМ-Р\r\nSPEED = 9600", std::nullopt},
        ParseCase{"NoPort", "PART = COM1\r\nDEVICE = КСМ-Р\r\nRATE = 9600", std::nullopt},
        ParseCase{"FirstOccurrenceWins", "PORT=COM1DEVICE=КСМRATE=2400DEVICE=КСМ-ЖRATE=9600",
                  SettingsText{"COM1", "КСМ", "2400DEVICE=КСМ-ЖRATE=9600"}},
        // The position of "PORT=" only has to exist: the port is always taken from index 5.
        ParseCase{"PortKeyAfterTheOthers",
                  "ABCDEFGDEVICE=XRATE=9PORT=", SettingsText{"FG", "X", "9PORT="}},
        ParseCase{"RateBeforeDevice", "PORT=COM1RATE=9600DEVICE=КСМ", std::nullopt},
        ParseCase{"DeviceWithinFirstFiveCharacters", "DEVICE=КСМPORT=COM1RATE=9600", std::nullopt},
        ParseCase{"DeviceStartingAtIndexFour", "ABCDDEVICE=XPORT=RATE=1", std::nullopt},
        ParseCase{"DeviceStartingAtIndexFive", "ABCDEDEVICE=XPORT=RATE=1",
                  SettingsText{"", "XPORT=", "1"}},
        ParseCase{"KeyAfterZeroByteIsNotSeen", "PORT=COM1DEVICE=КСМ\0RATE=9600"s, std::nullopt},
        ParseCase{"SpeedEndsAtZeroByte",
                  "PORT=COM1DEVICE=КСМRATE=96\0"
                  "00"s,
                  SettingsText{"COM1", "КСМ", "96"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseSettingsText, FileOver64KiBIsRejectedAtAnyContent) {
    std::string text = cp1251("PORT = COM1\r\nDEVICE = КСМ-Р\r\nRATE = 9600");
    text.resize(kMaxSettingsFileSize, ' ');
    const auto atLimit = parseSettingsText(text);
    ASSERT_TRUE(atLimit.has_value());
    EXPECT_EQ(atLimit->rate, "9600");
    text.push_back(' ');
    EXPECT_FALSE(parseSettingsText(text).has_value());
}

TEST(FormatSettingsText, DefaultsAreTheFortyBytes) {
    const std::string expected = "PORT = COM1\r\nDEVICE = \xCA\xD1\xCC-\xD0\r\nRATE = 9600";
    const std::string text = formatSettingsText("COM1", cp1251("КСМ-Р"), "9600");
    EXPECT_EQ(text.size(), 40u);
    EXPECT_EQ(text, expected);
}

TEST(FormatSettingsText, ValueEndsAtItsZeroByte) {
    EXPECT_EQ(formatSettingsText("CO\0M1"s, "", "96\0"s), "PORT = CO\r\nDEVICE = \r\nRATE = 96");
}

class RoundTripTest : public ::testing::TestWithParam<SettingsText> {};

TEST_P(RoundTripTest, WrittenValuesReadBackUnchanged) {
    const SettingsText v{cp1251(GetParam().port), cp1251(GetParam().device),
                         cp1251(GetParam().rate)};
    const auto back = parseSettingsText(formatSettingsText(v.port, v.device, v.rate));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, v);
}

INSTANTIATE_TEST_SUITE_P(Values, RoundTripTest,
                         ::testing::Values(SettingsText{"COM1", "КСМ-Р", "9600"},
                                           SettingsText{"COM9", "КСМ-СП", "19200"},
                                           SettingsText{"", "", ""},
                                           SettingsText{"T=COM1", "ксм\t", "9600MODE=1"},
                                           SettingsText{"PORT=", "DEVICE=", "RATE=PORT="},
                                           SettingsText{"ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ", "яЯ", "ё"}));

}  // namespace
