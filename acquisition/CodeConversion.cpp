#include "acquisition/CodeConversion.h"

std::uint8_t Convert866To1251(std::uint8_t byte) {
    if (byte >= 0x80 && byte <= 0xAF) return static_cast<std::uint8_t>(byte + 0x40);
    if (byte >= 0xE0 && byte <= 0xEF) return static_cast<std::uint8_t>(byte + 0x10);
    return byte;
}

QByteArray Convert866To1251(std::span<const std::uint8_t> bytes) {
    QByteArray out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::uint8_t byte : bytes) {
        const std::uint8_t converted = Convert866To1251(byte);
        if (converted != 0) out.append(static_cast<char>(converted));
    }
    return out;
}
