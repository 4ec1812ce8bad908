#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Form files and delivered forms are single-byte Windows Cyrillic (cp1251); views hold Unicode.
// Every byte except 0x00 and the line breaks comes back unchanged: cp1251 leaves 0x98 unassigned,
// and it travels as U+0098, the way the Windows conversion tables carry it. A CR LF pair, a lone
// CR and a lone LF are each one line break; breaks are written as CR LF. A NUL byte cannot live in
// the text of a view and is dropped.
namespace TextFileCodec {

QString decode(QByteArrayView bytes);

// `raw` is the raw text of a QTextDocument (blocks separated by U+2029, soft breaks U+2028, or
// '\n'). Embedded objects and frame marks are not text and are left out. Characters cp1251
// cannot hold become `replacement`; the index of the first of them, or -1, goes to
// `firstUnrepresentable` when given.
QByteArray encode(QStringView raw, char replacement = '?',
                  qsizetype* firstUnrepresentable = nullptr);

// Index in `raw` of the first character that encode would have to replace, or -1.
qsizetype findUnrepresentable(QStringView raw);

// The Unicode character of a cp1251 byte.
char16_t toUnicode(unsigned char byte);

// The cp1251 byte of a UTF-16 unit, the inverse of toUnicode; -1 where cp1251 has none. NUL is no
// text and has none; a line break is the byte LF here (encode writes it as CR LF).
int toCp1251(char16_t unit);

}  // namespace TextFileCodec
