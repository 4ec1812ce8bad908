#include <gtest/gtest.h>

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <array>

#include "acquisition/CodeConversion.h"
#include "acquisition/LinkSetup.h"
#include "res/Texts.h"

namespace {

// What a byte means in each code page, from the system's own tables rather than ours.
QChar decoded(const char* codePage, std::uint8_t byte) {
    QStringDecoder decoder(codePage);
    const QString text = decoder(QByteArray(1, static_cast<char>(byte)));
    return text.size() == 1 ? text.front() : QChar();
}

// Box drawing that only runs one way keeps its direction; the rest is a joint.
char boxLookAlike(QChar c) {
    const QString vertical = QStringLiteral("│║"), horizontal = QStringLiteral("─═");
    if (vertical.contains(c)) return '|';
    if (horizontal.contains(c)) return '-';
    return '+';
}

class EveryByte : public ::testing::TestWithParam<int> {};

bool heldByWindowsCyrillic(QChar c) {
    const QByteArray encoded = QStringEncoder("windows-1251").encode(QString(c));
    return encoded.size() == 1 && decoded("windows-1251", std::uint8_t(encoded[0])) == c;
}

TEST_P(EveryByte, KeepsItsMeaningWhereWindowsCyrillicHoldsIt) {
    const auto in = static_cast<std::uint8_t>(GetParam());
    const std::uint8_t out = convert866To1251(in);
    if (in < 0x80) {
        EXPECT_EQ(out, in);  // 0x00 too: the caller drops what converts to 0x00
        return;
    }
    EXPECT_NE(out, 0) << "only 0x00 is dropped";
    const QChar meant = decoded("IBM866", in);
    ASSERT_FALSE(meant.isNull()) << "no cp866 decoder";
    if (heldByWindowsCyrillic(meant)) {
        EXPECT_EQ(decoded("windows-1251", out), meant) << int(in);
        return;
    }
    // What cp1251 lacks becomes plain ASCII: a drawn table stays a table.
    EXPECT_LT(out, 0x80) << int(in);
    if (meant.unicode() >= 0x2500 && meant.unicode() <= 0x257F)
        EXPECT_EQ(out, boxLookAlike(meant)) << int(in);
}

INSTANTIATE_TEST_SUITE_P(AllValues, EveryByte, ::testing::Range(0, 256));

TEST(Conversion, NamedBytes) {
    const std::array<std::pair<int, int>, 16> pairs{{{0x80, 0xC0},  // А
                                                     {0xAF, 0xEF},  // п
                                                     {0xE0, 0xF0},  // р
                                                     {0xEF, 0xFF},  // я
                                                     {0xF0, 0xA8},  // Ё
                                                     {0xF1, 0xB8},  // ё
                                                     {0xFC, 0xB9},  // №
                                                     {0xF8, 0xB0},  // °
                                                     {0xB3, '|'},
                                                     {0xC4, '-'},
                                                     {0xDA, '+'},
                                                     {0xCE, '+'},
                                                     {0xB0, '#'},
                                                     {0xFB, 'V'},
                                                     {0x0D, 0x0D},
                                                     {0x1A, 0x1A}}};
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
                                           BufferCase{"\xE0\xB3\x1A", "\xF0|\x1A"}));

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
