#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>

// The files a test sets up and then looks at, written and read whole.

// The file's bytes; "<unreadable>" in their place when it cannot be read, so that a failure
// says so instead of comparing an empty file.
inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Writes the whole file; false when any part of it fails.
inline bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// The text in the Windows Cyrillic code page, as the files and the worker hold it.
inline QByteArray cp1251(const QString& text) {
    QStringEncoder encoder("windows-1251");
    return encoder(text);
}

// A form as the archive holds it: cp1251, lines ending in CR LF.
inline QByteArray archivedForm(QString text) {
    return cp1251(text.replace(u'\n', QStringLiteral("\r\n")));
}
