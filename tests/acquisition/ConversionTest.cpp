#include <gtest/gtest.h>

#include <QString>
#include <array>

#include "acquisition/CodeConversion.h"
#include "acquisition/LinkSetup.h"
#include "res/Texts.h"

namespace {

// The letters of DOS Cyrillic in code order; in Windows Cyrillic А..я run from 0xC0 to 0xFF.
const QString kDosLettersLow = QStringLiteral("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмноп");
const QString kDosLettersHigh = QStringLiteral("рстуфхцчшщъыьэюя");

class EveryByte : public ::testing::TestWithParam<int> {};

TEST_P(EveryByte, LettersKeepTheirMeaningAndAllElseStays) {
    const int in = GetParam();
    const int out = convert866To1251(static_cast<std::uint8_t>(in));
    QChar dosLetter;
    if (in >= 0x80 && in <= 0xAF) dosLetter = kDosLettersLow[in - 0x80];
    if (in >= 0xE0 && in <= 0xEF) dosLetter = kDosLettersHigh[in - 0xE0];
    if (dosLetter.isNull()) {
        EXPECT_EQ(out, in);
    } else {
        ASSERT_GE(out, 0xC0);
        EXPECT_EQ(QChar(0x0410 + out - 0xC0), dosLetter);
    }
}

INSTANTIATE_TEST_SUITE_P(AllValues, EveryByte, ::testing::Range(0, 256));

TEST(Conversion, NamedLetters) {
    const std::array<std::pair<int, int>, 9> pairs{{{0x80, 0xC0},
                                                    {0xAF, 0xEF},
                                                    {0xE0, 0xF0},
                                                    {0xEF, 0xFF},
                                                    {0xB0, 0xB0},
                                                    {0xDF, 0xDF},
                                                    {0xF0, 0xF0},
                                                    {0x0D, 0x0D},
                                                    {0x0A, 0x0A}}};
    for (auto [in, out] : pairs)
        EXPECT_EQ(convert866To1251(static_cast<std::uint8_t>(in)), out) << in;
}

struct BufferCase {
    QByteArray in, out;
};

class Buffer : public ::testing::TestWithParam<BufferCase> {};

TEST_P(Buffer, ConvertsAndDropsZeros) {
    const QByteArray& in = GetParam().in;
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(in.constData()),
                                 static_cast<std::size_t>(in.size()));
    EXPECT_EQ(convert866To1251(bytes), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Cases, Buffer,
                         ::testing::Values(BufferCase{"", ""},
                                           BufferCase{QByteArray("\0\0", 2), ""},
                                           BufferCase{QByteArray("A\0\x80\r\n", 5), "A\xC0\r\n"},
                                           BufferCase{"\xE0\xB3\x1A", "\xF0\xB3\x1A"}));

struct TextCase {
    QString actual;
    const char* expected;
};

class Texts : public ::testing::TestWithParam<TextCase> {};

TEST_P(Texts, AreExact) {
    EXPECT_EQ(GetParam().actual, QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Texts,
    ::testing::Values(TextCase{texts::byteCounterText(0), "0 байт прочитано"},
                      TextCase{texts::byteCounterText(190), "190 байт прочитано"},
                      TextCase{texts::closingReportText(0),
                               "Чтение данных в объеме 0 байт завершено. Продолжить?"},
                      TextCase{texts::closingReportText(12345),
                               "Чтение данных в объеме 12345 байт завершено. Продолжить?"},
                      TextCase{*LinkSetup::failureText(SerialOpenResult::Stage::GetState, 13),
                               "GetCommState failed with error 13.\n"},
                      TextCase{*LinkSetup::failureText(SerialOpenResult::Stage::SetState, -1),
                               "SetCommState failed with error -1.\n"},
                      TextCase{*LinkSetup::failureText(SerialOpenResult::Stage::Open, 2),
                               "Ошибка при инициализации COM-порта"}));

}  // namespace
