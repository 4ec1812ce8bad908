#include "tools/Cp866Encoder.h"

#include <array>
#include <unordered_map>

#include "acquisition/LetterConversion.h"

namespace {

// Code page 866 above 0x7F, apart from its letters: the box-drawing range 0xB0..0xDF, then
// Ё ё Є є Ї ї Ў ў and a few signs from 0xF0.
constexpr std::array<char32_t, 48> kBoxDrawing{
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
};
constexpr std::array<char32_t, 16> kTail{
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

// The letters are exactly the bytes the worker converts: their cp1251 bytes 0xC0..0xFF hold
// А..я in Unicode's order, so the simulator cannot send a letter the program reads otherwise.
constexpr char32_t unicodeOf(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (cp866::isLetter(byte)) return char32_t{0x0410} + (convert866To1251(byte) - 0xC0);
    if (byte >= 0xF0) return kTail[byte - 0xF0];
    return kBoxDrawing[byte - 0xB0];
}

const std::unordered_map<char32_t, char>& reverseTable() {
    static const std::unordered_map<char32_t, char> table = [] {
        std::unordered_map<char32_t, char> t;
        for (int byte = 0x80; byte <= 0xFF; ++byte)
            t.emplace(unicodeOf(static_cast<unsigned char>(byte)), static_cast<char>(byte));
        return t;
    }();
    return table;
}

// Decodes one UTF-8 sequence at `pos`, advancing it. Returns false for a malformed one, after
// skipping its first byte.
bool decodeUtf8(std::string_view s, std::size_t& pos, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    int extra;
    char32_t min;
    if (lead < 0x80) {
        cp = lead, extra = 0, min = 0;
    } else if ((lead & 0xE0) == 0xC0) {
        cp = lead & 0x1F, extra = 1, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        cp = lead & 0x0F, extra = 2, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        cp = lead & 0x07, extra = 3, min = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (pos + extra >= s.size()) {
        ++pos;
        return false;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto c = static_cast<unsigned char>(s[pos + i]);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    pos += extra + 1;
    // Overlong forms, surrogates and values past Unicode are malformed too.
    return cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

}  // namespace

std::string utf8ToCp866(std::string_view utf8, char replacement) {
    std::string out;
    out.reserve(utf8.size());
    const auto& table = reverseTable();
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        if (!decodeUtf8(utf8, pos, cp)) {
            out.push_back(replacement);
        } else if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else {
            const auto it = table.find(cp);
            out.push_back(it == table.end() ? replacement : it->second);
        }
    }
    return out;
}

char32_t cp866ToUnicode(unsigned char byte) {
    return unicodeOf(byte);
}
