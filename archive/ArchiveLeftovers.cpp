#include "archive/ArchiveLeftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "archive/ArchiveFiles.h"
#include "platform/FileSystemSync.h"
#include "platform/ProcessAlive.h"

namespace ArchiveLeftovers {
namespace {

// A file of this process's own id was left by an earlier process of the same id (ids are
// reused, after a restart above all) when it was last written before this process began.
const QDateTime kProcessStart = QDateTime::currentDateTimeUtc();
constexpr qint64 kHeadBytes = 4096;

bool ownerGone(const QFileInfo& file) {
    const std::optional<qint64> owner = ArchiveFiles::tempOwner(file.fileName());
    if (!owner) return false;
    if (*owner == currentProcessId()) return file.lastModified() < kProcessStart;
    return !processAlive(*owner);
}

std::optional<Leftover> recoverOne(const QFileInfo& info, const NameFor& nameFor) {
    Leftover leftover{info.absoluteFilePath(), {}, info.size()};
    if (leftover.size == 0) {
        if (!QFile::remove(leftover.file)) return {};
        return leftover;
    }
    QFile file(leftover.file);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray head = file.read(kHeadBytes);
    file.close();
    QString path = info.absoluteDir().filePath(nameFor(head, info.lastModified()));
    if (!ArchiveFiles::claim(leftover.file, path, leftover.size).isEmpty()) return {};
    leftover.path = path;
    return leftover;
}

}  // namespace

std::vector<Leftover> recover(const QString& folder, const NameFor& nameFor) {
    std::vector<Leftover> found;
    QStringList folders{folder};
    for (const QString& sub : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders << QDir(folder).filePath(sub);
    for (const QString& where : folders) {
        const QFileInfoList files = QDir(where).entryInfoList(
            {ArchiveFiles::kTempPattern}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo& info : files)
            if (ownerGone(info))
                if (auto leftover = recoverOne(info, nameFor)) found.push_back(*leftover);
    }
    if (!found.empty()) syncFileSystemOf(folder.toStdString());
    return found;
}

}  // namespace ArchiveLeftovers
