#include "files/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

SafeFile::Result failure(const QFileDevice& file) {
    return {false, false, file.error(), file.errorString()};
}

// The temporary file could not be made because of the folder, and the file could take the
// bytes itself.
bool mayWriteInPlace(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isWritable() && !QFileInfo(info.absolutePath()).isWritable();
}

}  // namespace

SafeFile::Result SafeFile::write(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty())
        return {false, false, QFileDevice::OpenError, QStringLiteral("No file name")};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const Result refused = failure(file);
        return mayWriteInPlace(path) ? writeInPlace(path, bytes) : refused;
    }
    // commit() does not notice a buffered write that fails when it is flushed (a full disk)
    // and would put a short file in place of the old one: flush first and look.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) return failure(file);
    return {true, false, QFileDevice::NoError, {}};
}

SafeFile::Result SafeFile::writeInPlace(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    // Over the old bytes first and only then cut to length, rather than truncating first: the
    // old blocks need no new room, so on a full disk a text no longer than the old one still
    // goes in whole. A file that may be written but not read can only be truncated first.
    if (!file.open(QIODevice::ReadWrite) && !file.open(QIODevice::WriteOnly)) return failure(file);
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.resize(bytes.size()))
        return failure(file);
    file.close();
    return {true, true, QFileDevice::NoError, {}};
}
