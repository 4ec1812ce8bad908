#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

// The file work of the archive: its hidden temporary files, the text written into them as
// "Сохранить" would, and the name a finished file takes.
namespace ArchiveFiles {

// Why writing into `folder` failed, as far as the file system shows it now (Russian).
QString failureReason(const QString& folder, qint64 bytes, const QString& systemText);

// A hidden temporary file ".tabulon-<pid>-<n>.part" of this process's own in `folder`, never
// one that exists.
bool openTemp(const QString& folder, QFile& file);
// The process that made a temporary file, from its name; nothing for any other name.
std::optional<qint64> tempOwner(const QString& fileName);
inline const QString kTempPattern = QStringLiteral(".tabulon-*.part");

// Writes `cp1251` as FormArchive::savedBytes gives it, a piece at a time, so that a long form
// never needs more than a little memory besides its text. Returns the bytes written, or -1.
qint64 writeSaved(QFile& file, const QByteArray& cp1251);

// Gives `temp` the name `path` or its first alternative that no file has, never replacing a
// file; `path` is then the name it got. Returns why not, or nothing.
QString claim(const QString& temp, QString& path, qint64 size);

}  // namespace ArchiveFiles
