#include "TextFileCodec.h"

#include <array>
#include <memory>

namespace TextFileCodec {
namespace {

// 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char16_t, 64> kHigh{
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

constexpr char16_t kParagraphSeparator = 0x2029;
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kObjectReplacement = 0xFFFC;
constexpr char16_t kBeginningOfFrame = 0xFDD0;
constexpr char16_t kEndOfFrame = 0xFDD1;

// Unicode → cp1251, 0 where cp1251 has no byte (U+0000 itself is never encoded).
const std::array<unsigned char, 0x10000>& reverseTable() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<unsigned char, 0x10000>>();
        t->fill(0);
        for (int b = 1; b < 256; ++b) (*t)[ToUnicode(static_cast<unsigned char>(b))] = b;
        return t;
    }();
    return *table;
}

bool isBreak(char16_t c) {
    return c == kParagraphSeparator || c == kLineSeparator || c == u'\n';
}
bool isNotText(char16_t c) {
    return c == kObjectReplacement || c == kBeginningOfFrame || c == kEndOfFrame || c == 0;
}

}  // namespace

char16_t ToUnicode(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    return kHigh[byte - 0x80];
}

QString Decode(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    char16_t* const start = out;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = in + bytes.size();
    while (in != end) {
        const unsigned char b = *in++;
        if (b == '\r') {
            *out++ = u'\n';
            if (in != end && *in == '\n') ++in;
        } else if (b != 0) {
            *out++ = ToUnicode(b);
        }
    }
    text.truncate(out - start);
    return text;
}

QByteArray Encode(QStringView raw, char replacement) {
    const auto& table = reverseTable();
    QByteArray bytes(raw.size() * 2, Qt::Uninitialized);  // room for every break as CR LF
    char* out = bytes.data();
    char* const start = out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char16_t c = raw[i].unicode();
        if (c < 0x80 && c != u'\n' && c != 0) {
            *out++ = static_cast<char>(c);
        } else if (isBreak(c)) {
            *out++ = '\r';
            *out++ = '\n';
        } else if (!isNotText(c)) {
            const unsigned char b = table[c];
            *out++ = b ? static_cast<char>(b) : replacement;
            // A character beyond the first 65536 is one character, though it takes two units.
            if (QChar::isHighSurrogate(c) && i + 1 < raw.size() && raw[i + 1].isLowSurrogate()) ++i;
        }
    }
    bytes.truncate(out - start);
    return bytes;
}

qsizetype FindUnrepresentable(QStringView raw) {
    const auto& table = reverseTable();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char16_t c = raw[i].unicode();
        if (c >= 0x80 && !isBreak(c) && !isNotText(c) && table[c] == 0) return i;
    }
    return -1;
}

}  // namespace TextFileCodec
