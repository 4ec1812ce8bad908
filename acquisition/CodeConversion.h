#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>

// The calculator prints in DOS Cyrillic (cp866); the forms are kept in Windows Cyrillic
// (cp1251). Only the letters move: everything else, pseudo-graphics included, passes as it is.
// Inline: the worker calls it for every byte of the stream.
constexpr std::uint8_t Convert866To1251(std::uint8_t byte) {
    if (byte >= 0x80 && byte <= 0xAF) return static_cast<std::uint8_t>(byte + 0x40);
    if (byte >= 0xE0 && byte <= 0xEF) return static_cast<std::uint8_t>(byte + 0x10);
    return byte;
}

// What the worker stores for these bytes: each converted, the ones that come out as 0x00
// dropped. Form ends are not special here.
QByteArray Convert866To1251(std::span<const std::uint8_t> bytes);
