#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>

// The calculator prints in DOS Cyrillic (cp866); the forms are kept in Windows Cyrillic
// (cp1251). Only the letters move: everything else, pseudo-graphics included, passes as it is.
std::uint8_t Convert866To1251(std::uint8_t byte);

// What the worker stores for these bytes: each converted, the ones that come out as 0x00
// dropped. Form ends are not special here.
QByteArray Convert866To1251(std::span<const std::uint8_t> bytes);
