#pragma once

#include <cstdint>

// The calculator prints in DOS Cyrillic (cp866); the forms are kept in Windows Cyrillic
// (cp1251). Only the letters move: everything else, pseudo-graphics included, passes as it is.
// Inline: the worker calls it for every byte of the stream. Free of Qt, so that the simulator
// encodes its letters by the same rule.
constexpr std::uint8_t convert866To1251(std::uint8_t byte) {
    if (byte >= 0x80 && byte <= 0xAF) return static_cast<std::uint8_t>(byte + 0x40);
    if (byte >= 0xE0 && byte <= 0xEF) return static_cast<std::uint8_t>(byte + 0x10);
    return byte;
}
