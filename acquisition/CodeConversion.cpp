#include "acquisition/CodeConversion.h"

QByteArray convert866To1251(std::span<const std::uint8_t> bytes) {
    QByteArray out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::uint8_t byte : bytes) {
        const std::uint8_t converted = convert866To1251(byte);
        if (converted != 0) out.append(static_cast<char>(converted));
    }
    return out;
}
