#pragma once

#include <QString>
#include <ostream>
#include <string>
#include <string_view>

#include "files/TextFileCodec.h"

// Readable failures for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// Tests are written in UTF-8; the file holds cp1251 (the program's own table: Qt's needs ICU,
// which its Windows build lacks).
inline std::string cp1251(std::string_view utf8) {
    std::string bytes;
    for (const QChar c : QString::fromUtf8(utf8.data(), qsizetype(utf8.size()))) {
        const int byte = TextFileCodec::toCp1251(c.unicode());
        bytes += c.isNull() ? '\0' : byte < 0 ? '?' : char(byte);  // a NUL stays in the bytes
    }
    return bytes;
}
