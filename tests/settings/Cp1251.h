#pragma once

#include <QStringEncoder>
#include <ostream>
#include <string>
#include <string_view>

// Readable failures for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// Tests are written in UTF-8; the file holds cp1251.
inline std::string cp1251(std::string_view utf8) {
    QStringEncoder encoder("windows-1251");
    const QByteArray bytes = encoder.encode(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}
