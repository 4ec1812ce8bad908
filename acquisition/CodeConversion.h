#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>

#include "acquisition/LetterConversion.h"

// What the worker stores for these bytes: each converted, the ones that come out as 0x00
// dropped. Form ends are not special here.
QByteArray convert866To1251(std::span<const std::uint8_t> bytes);
