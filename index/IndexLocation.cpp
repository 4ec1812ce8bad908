#include "index/IndexLocation.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include "res/Texts.h"

namespace IndexLocation {
namespace {

QString hashOf(const QString& root) {
    QString canonical = QFileInfo(root).canonicalFilePath();
    if (canonical.isEmpty()) canonical = QDir::cleanPath(QFileInfo(root).absoluteFilePath());
    return QLatin1String(
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(20));
}

const QString kPrefix = QStringLiteral("archive-index-");
const QString kSuffix = QStringLiteral(".sqlite");

}  // namespace

QString fileFor(const QString& root) {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return QDir(cache).filePath(kPrefix + hashOf(root) + kSuffix);
}

QString memoryFor(const QString& root) {
    // SQLite's store in memory shared by name between the connections of one process.
    return QStringLiteral("file:/tabulon-") + kPrefix + hashOf(root) + QStringLiteral("?vfs=memdb");
}

bool isMemory(const QString& index) {
    return index.startsWith(QLatin1String("file:/tabulon-"));
}

QString whyNotKept(const QString& file) {
    const QFileInfo folder(QFileInfo(file).absolutePath());
    if (!folder.isDir()) return texts::kArchiveFolderNotCreated;
    const QStorageInfo disk(folder.absoluteFilePath());
    if (disk.isValid() && disk.isReadOnly()) return texts::kArchiveDiskReadOnly;
    if (!folder.isWritable()) return texts::kArchiveFolderReadOnly;
    // Less than a page or two of SQLite's journal: the index stopped for want of room.
    if (disk.isValid() && disk.bytesAvailable() < 1024 * 1024) return texts::kArchiveDiskFull;
    return texts::kArchiveFolderUnavailable;
}

int dropStale(const QString& kept, const QDateTime& now) {
    const QFileInfo keptInfo(kept);
    const QDir cache = keptInfo.absoluteDir();
    const QDateTime before = now.addDays(-kStaleDays);
    int dropped = 0;
    const QStringList names = cache.entryList({kPrefix + u'*' + kSuffix}, QDir::Files);
    for (const QString& name : names) {
        if (name == keptInfo.fileName()) continue;
        const QString path = cache.filePath(name);
        QDateTime used = QFileInfo(path).lastModified();
        const QFileInfo journal(path + QStringLiteral("-wal"));
        if (journal.exists() && journal.lastModified() > used) used = journal.lastModified();
        if (used >= before) continue;
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + suffix);
        ++dropped;
    }
    return dropped;
}

}  // namespace IndexLocation
