#include "files/TextFileCodec.h"

#include <array>
#include <cstdint>
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

// What becomes of each UTF-16 unit on the way to the file: a byte (0..255), or one of these.
enum : std::uint16_t { kBreak = 0x100, kLeftOut = 0x101, kNoByte = 0x102 };

const std::array<std::uint16_t, 0x10000>& encodeTable() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<std::uint16_t, 0x10000>>();
        t->fill(kNoByte);
        for (int b = 1; b < 256; ++b) (*t)[toUnicode(static_cast<unsigned char>(b))] = b;
        for (char16_t c : {u'\n', kParagraphSeparator, kLineSeparator}) (*t)[c] = kBreak;
        for (char16_t c : {char16_t(0), kObjectReplacement, kBeginningOfFrame, kEndOfFrame})
            (*t)[c] = kLeftOut;
        return t;
    }();
    return *table;
}

}  // namespace

char16_t toUnicode(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    return kHigh[byte - 0x80];
}

QString decode(QByteArrayView bytes) {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) t[b] = toUnicode(static_cast<unsigned char>(b));
        return t;
    }();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    char16_t* const start = out;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = in + bytes.size();
    while (in != end) {
        const unsigned char b = *in++;
        // Nearly every byte of a form is above CR: one test, and a table without branches on
        // which half of the code page the byte is in, which mixed text would mispredict.
        if (b > '\r') [[likely]] {
            *out++ = table[b];
        } else if (b == '\r') {
            *out++ = u'\n';
            if (in != end && *in == '\n') ++in;
        } else if (b != 0) {
            *out++ = b;
        }
    }
    text.truncate(out - start);
    return text;
}

QByteArray encode(QStringView raw, char replacement, qsizetype* firstUnrepresentable) {
    const auto& table = encodeTable();
    if (firstUnrepresentable) *firstUnrepresentable = -1;
    QByteArray bytes(raw.size() * 2, Qt::Uninitialized);  // room for every break as CR LF
    char* out = bytes.data();
    char* const start = out;
    const char16_t* in = raw.utf16();
    const char16_t* const end = in + raw.size();
    while (in != end) {
        const char16_t c = *in++;
        const std::uint16_t action = table[c];
        if (action < 0x100) {
            *out++ = static_cast<char>(action);
        } else if (action == kBreak) {
            *out++ = '\r';
            *out++ = '\n';
        } else if (action == kNoByte) {
            if (firstUnrepresentable && *firstUnrepresentable < 0)
                *firstUnrepresentable = in - 1 - raw.utf16();
            *out++ = replacement;
            // A character beyond the first 65536 is one character, though it takes two units.
            if (QChar::isHighSurrogate(c) && in != end && QChar::isLowSurrogate(*in)) ++in;
        }
    }
    bytes.truncate(out - start);
    return bytes;
}

int toCp1251(char16_t unit) {
    if (unit == u'\n') return '\n';
    const std::uint16_t action = encodeTable()[unit];
    return action < 0x100 ? action : -1;
}

qsizetype findUnrepresentable(QStringView raw) {
    const auto& table = encodeTable();
    for (qsizetype i = 0; i < raw.size(); ++i)
        if (table[raw[i].unicode()] == kNoByte) return i;
    return -1;
}

}  // namespace TextFileCodec
