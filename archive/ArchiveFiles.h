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

// Who wrote a temporary file, as its name tells it. A process id alone says nothing on a folder
// that processes of other machines or containers write too, so the name tells where its
// writer ran as well: digests of its machine, the boot of that machine and its space of
// process ids.
struct TempOwner {
    qint64 pid = 0;
    // Empty in the names the version before wrote (".tabulon-<pid>-<n>.part"), and for a part
    // its writer's system did not tell.
    QString machine, boot, idSpace;
    // The name its writer meant the form's file to have, cut short; empty when not told.
    QString meant;
};

// A hidden temporary file ".tabulon-<machine>-<boot>-<id space>-<pid>-<n>~<meant>.part" of
// this process's own in `folder`, never one that exists. `meant`, the name the text is meant
// for, is left out where the name would grow too long.
bool openTemp(const QString& folder, QFile& file, const QString& meant = {});
// Who wrote a temporary file, from its name; nothing for any other name.
std::optional<TempOwner> tempOwner(const QString& fileName);
// This process as the names of its temporary files tell it.
const TempOwner& currentTempOwner();
inline const QString kTempPattern = QStringLiteral(".tabulon-*.part");

// Writes `cp1251` as FormArchive::savedBytes gives it, a piece at a time, so that a long form
// never needs more than a little memory besides its text. Returns the bytes written, or -1.
qint64 writeSaved(QFile& file, const QByteArray& cp1251);

// Gives `temp` the name `path` or its first alternative that no file has, never replacing a
// file; `path` is then the name it got. Returns why not, or nothing.
QString claim(const QString& temp, QString& path, qint64 size);

}  // namespace ArchiveFiles
