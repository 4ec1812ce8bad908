#include <gtest/gtest.h>

#include <QStringDecoder>
#include <QTextDocument>
#include <random>

#include "files/TextFileCodec.h"

namespace {

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b.append(static_cast<char>(v));
    return b;
}

}  // namespace

// Our table must say what the platform's own windows-1251 converter says, byte for byte.
TEST(TextFileCodec, TableAgreesWithThePlatformConverter) {
    QStringDecoder decoder("windows-1251");
    if (!decoder.isValid()) GTEST_SKIP() << "no windows-1251 converter in this Qt";
    for (int b = 1; b < 256; ++b) {
        const QString expected = decoder.decode(QByteArray(1, static_cast<char>(b)));
        ASSERT_EQ(expected.size(), 1);
        EXPECT_EQ(TextFileCodec::toUnicode(static_cast<unsigned char>(b)), expected[0].unicode())
            << "byte " << b;
        EXPECT_EQ(TextFileCodec::toCp1251(expected[0].unicode()), b);
    }
    // What no form can hold has no byte, not even the marks a view leaves out.
    for (char16_t none : {u'\0', u'中', u'\u2029', u'\uFFFC'})
        EXPECT_EQ(TextFileCodec::toCp1251(none), -1) << int(none);
}

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    QString text;
};

class Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decode, GivesTheViewText) {
    EXPECT_EQ(TextFileCodec::decode(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Decode,
    ::testing::Values(
        DecodeCase{"CrLf", "a\r\nb", "a\nb"}, DecodeCase{"LoneCr", "a\rb", "a\nb"},
        DecodeCase{"LoneLf", "a\nb", "a\nb"}, DecodeCase{"LfCrIsTwoBreaks", "a\n\rb", "a\n\nb"},
        DecodeCase{"CrCrLf", "\r\r\n", "\n\n"}, DecodeCase{"TrailingBreak", "x\r\n", "x\n"},
        DecodeCase{"NulDropped", bytesOf({'a', 0, 'b'}), "ab"},
        DecodeCase{"Cyrillic", bytesOf({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, 0xA8, 0xB8}),
                   QString::fromUtf8("ПриветЁё")},
        DecodeCase{"Unassigned98", bytesOf({0x98}), QString(QChar(0x0098))},
        DecodeCase{"NonBreakingSpace", bytesOf({0xA0}), QString(QChar(0x00A0))},
        DecodeCase{"FormFeedAndTab", bytesOf({0x0C, 0x09}), QString::fromLatin1("\f\t")},
        DecodeCase{"Numero", bytesOf({0xB9}), QString::fromUtf8("№")},
        DecodeCase{"Empty", QByteArray(), QString()}),
    [](const auto& info) { return std::string(info.param.name); });

struct EncodeCase {
    const char* name;
    QString raw;
    QByteArray bytes;
};

class Encode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Encode, GivesTheFileBytes) {
    EXPECT_EQ(TextFileCodec::encode(GetParam().raw), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Encode,
    ::testing::Values(
        EncodeCase{"ParagraphSeparator", QString("a") + QChar(0x2029) + "b", "a\r\nb"},
        EncodeCase{"LineSeparator", QString("a") + QChar(0x2028) + "b", "a\r\nb"},
        EncodeCase{"Newline", "a\nb", "a\r\nb"},
        EncodeCase{"PictureLeftOut", QString("a") + QChar(0xFFFC) + "b", "ab"},
        EncodeCase{"FrameMarksLeftOut", QString(QChar(0xFDD0)) + "a" + QChar(0xFDD1), "a"},
        EncodeCase{"Euro", QString::fromUtf8("€"), bytesOf({0x88})},
        EncodeCase{"Unassigned98", QString(QChar(0x0098)), bytesOf({0x98})},
        EncodeCase{"Unrepresentable", QString::fromUtf8("x中y"), "x?y"},
        EncodeCase{"CharacterBeyondBmpIsOneQuestionMark", QString::fromUtf8("a😀b"), "a?b"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextFileCodec, FindsTheFirstCharacterWithoutAByte) {
    EXPECT_EQ(TextFileCodec::findUnrepresentable(QString::fromUtf8("Привет №1 €")), -1);
    EXPECT_EQ(TextFileCodec::findUnrepresentable(QString("ab") + QChar(0x2029) + QChar(0xFFFC)),
              -1);
    EXPECT_EQ(TextFileCodec::findUnrepresentable(QString::fromUtf8("ab中c")), 2);
    EXPECT_EQ(TextFileCodec::findUnrepresentable(QString::fromUtf8("ĀĀ")), 0);
}

// Random files of every byte value and every mix of line breaks, through a text document as a
// view holds them, come back as the same bytes, with each break written as CR LF and NULs gone.
TEST(TextFileCodec, RandomFilesRoundTripThroughATextDocument) {
    std::mt19937 random(20261208);
    const char breaks[][4] = {"\r\n", "\r", "\n", "\n\r", "\r\r\n"};
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        const int length = std::uniform_int_distribution<int>(0, 600)(random);
        while (bytes.size() < length) {
            if (std::uniform_int_distribution<int>(0, 9)(random) == 0)
                bytes.append(breaks[std::uniform_int_distribution<int>(0, 4)(random)]);
            else
                bytes.append(static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random)));
        }
        QByteArray expected = bytes;
        expected.replace("\r\n", "\n").replace('\r', '\n').replace("\n", "\r\n");
        expected.replace(QByteArray(1, '\0'), QByteArray());

        QTextDocument doc;
        doc.setPlainText(TextFileCodec::decode(bytes));
        ASSERT_EQ(TextFileCodec::encode(doc.toRawText()), expected) << "round " << round;
    }
}

namespace {

// The plain way: each character on its own, its byte found by searching the code page. The table
// encoder must give the same bytes and the same first unrepresentable character.
QByteArray referenceEncode(QStringView raw, qsizetype* first) {
    QByteArray bytes;
    *first = -1;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char16_t c = raw[i].unicode();
        if (c == u'\n' || c == 0x2028 || c == 0x2029) {
            bytes += "\r\n";
            continue;
        }
        if (c == 0 || c == 0xFFFC || c == 0xFDD0 || c == 0xFDD1) continue;
        int byte = 1;
        while (byte < 256 && TextFileCodec::toUnicode(static_cast<unsigned char>(byte)) != c)
            ++byte;
        if (byte < 256) {
            bytes += static_cast<char>(byte);
            continue;
        }
        if (*first < 0) *first = i;
        bytes += '#';
        if (QChar::isHighSurrogate(c) && i + 1 < raw.size() && raw[i + 1].isLowSurrogate()) ++i;
    }
    return bytes;
}

void expectSameAsReference(const QString& raw, const std::string& what) {
    qsizetype first = -2, expectedFirst = -2;
    const QByteArray bytes = TextFileCodec::encode(raw, '#', &first);
    ASSERT_EQ(bytes, referenceEncode(raw, &expectedFirst)) << what;
    EXPECT_EQ(first, expectedFirst) << what;
}

}  // namespace

// Texts that strain the room the encoder sets aside (nothing but breaks, one-letter lines) and
// the characters it treats apart, at the start, the end and between.
TEST(TextFileCodec, EncodesTrickyTextsAsThePlainWayDoes) {
    const QChar ps(0x2029), high(0xD83D), low(0xDE00);
    const std::pair<const char*, QString> cases[] = {
        {"empty", QString()},
        {"nothing but breaks", QString(5000, ps)},
        {"one-letter lines", QString("a\nб\n").repeated(3000)},
        {"pair at the end", QString("ab") + high + low},
        {"lone high surrogate at the end", QString("ab") + high},
        {"lone low surrogate first", QString(low) + "ab"},
        {"unrepresentable first and last", QString::fromUtf8("中ab") + QChar(0x0100)},
        {"left out", QString(QChar(0xFFFC)) + QChar(0) + QChar(0xFDD0) + "x" + QChar(0xFDD1)},
        {"whole code page",
         [] {
             QString all;
             for (int b = 0; b < 256; ++b) all += QChar(TextFileCodec::toUnicode(b));
             return all;
         }()},
    };
    for (const auto& [what, raw] : cases) expectSameAsReference(raw, what);

    // And random texts drawn from the same kinds of characters, of every length up to a few
    // thousand, so that the end of the text falls anywhere in the encoder's runs.
    const char16_t pool[] = {u'a',   u'7',   u' ',   u'\t',  u'\f',  0x0410, 0x044F, 0x0401,
                             0x2116, 0x00A6, 0x2029, 0x2028, u'\n',  0xFFFC, 0,      0x4E2D,
                             0xD83D, 0xDE00, 0x0098, 0x20AC, 0x00A0, 0x045F, 0x0100, 0xFDD1};
    std::mt19937 random(20261209);
    for (int round = 0; round < 400; ++round) {
        QString raw;
        const int length = std::uniform_int_distribution<int>(0, 3000)(random);
        for (int i = 0; i < length; ++i)
            raw +=
                QChar(pool[std::uniform_int_distribution<size_t>(0, std::size(pool) - 1)(random)]);
        expectSameAsReference(raw, "round " + std::to_string(round));
    }
}
