#pragma once

#include <array>
#include <cstdint>

// The calculator prints in DOS Cyrillic (cp866); the forms are kept in Windows Cyrillic
// (cp1251). The letters move to their places; the other signs of cp866 that cp1251 holds
// (Ё ё Є є Ї ї Ў ў ° · № ¤ and the no-break space) go to theirs; the pseudo-graphics that
// cp1251 lacks become ASCII look-alikes, so that a table drawn with them stays a table.
// Free of Qt, so that the simulator encodes its letters by the same rule.
namespace cp866 {

// cp866 0xB0..0xDF: shaded blocks, box drawing, solid and half blocks. A line that only runs
// up and down is '|', one that only runs across is '-', a corner, tee or cross is '+'.
inline constexpr std::array<char, 48> kPseudoGraphics{
    '#', '#', '#', '|', '+', '+', '+', '+', '+', '+', '|', '+',  // B0 ░▒▓│┤╡╢╖╕╣║╗
    '+', '+', '+', '+', '+', '+', '+', '+', '-', '+', '+', '+',  // BC ╝╜╛┐└┴┬├─┼╞╟
    '+', '+', '+', '+', '+', '-', '+', '+', '+', '+', '+', '+',  // C8 ╚╔╩╦╠═╬╧╨╤╥╙
    '+', '+', '+', '+', '+', '+', '+', '#', '#', '#', '#', '#',  // D4 ╘╒╓╫╪┘┌█▄▌▐▀
};

// cp866 0xF0..0xFF in cp1251: Ё ё Є є Ї ї Ў ў ° ∙ · √ № ¤ ■ and the no-break space.
// cp1251 lacks the bullet operator, the root and the square: '*', 'V' and '#' stand for them.
inline constexpr std::array<std::uint8_t, 16> kSigns{
    0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2, 0xB0, '*', 0xB7, 'V', 0xB9, 0xA4, '#', 0xA0,
};

constexpr bool isLetter(std::uint8_t byte) {
    return (byte >= 0x80 && byte <= 0xAF) || (byte >= 0xE0 && byte <= 0xEF);
}

}  // namespace cp866

// Inline: the worker calls it for every byte of the stream. Only 0x00 gives 0x00.
constexpr std::uint8_t convert866To1251(std::uint8_t byte) {
    if (byte >= 0x80 && byte <= 0xAF) return static_cast<std::uint8_t>(byte + 0x40);
    if (byte >= 0xE0 && byte <= 0xEF) return static_cast<std::uint8_t>(byte + 0x10);
    if (byte >= 0xB0 && byte <= 0xDF)
        return static_cast<std::uint8_t>(cp866::kPseudoGraphics[byte - 0xB0]);
    if (byte >= 0xF0) return cp866::kSigns[byte - 0xF0];
    return byte;
}
