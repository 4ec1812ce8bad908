#include "archive/ArchiveLeftovers.h"

#include <QDir>
#include <QFile>

#include "archive/ArchiveFiles.h"
#include "files/SystemPath.h"
#include "platform/FileSystemSync.h"
#include "platform/OwnFile.h"
#include "platform/ProcessAlive.h"

namespace ArchiveLeftovers {
namespace {

// A file of this process's own id was left by an earlier process of the same id (ids are
// reused, after a restart above all) when it was last written before this process began.
const QDateTime kProcessStart = QDateTime::currentDateTimeUtc();
constexpr qint64 kHeadBytes = 4096;

enum class Writer { Running, Gone, Unjudged };

// Whether the archive that wrote a leftover still runs, as far as this process can see it: only
// a process of this machine's running boot in this process's id space can be looked for.
Writer judge(const ArchiveFiles::TempOwner& owner, const QDateTime& modified) {
    const ArchiveFiles::TempOwner& here = ArchiveFiles::currentTempOwner();
    if (owner.machine.isEmpty() || owner.machine != here.machine) return Writer::Unjudged;
    if (owner.boot.isEmpty() || here.boot.isEmpty()) return Writer::Unjudged;
    // Every process of an earlier boot of this machine is gone.
    if (owner.boot != here.boot) return Writer::Gone;
    if (owner.idSpace.isEmpty() || owner.idSpace != here.idSpace) return Writer::Unjudged;
    if (owner.pid == here.pid) return modified < kProcessStart ? Writer::Gone : Writer::Running;
    return processAlive(owner.pid) ? Writer::Running : Writer::Gone;
}

// The form's file in `folder` that is this very file, if any.
QString sameFileIn(const QDir& folder, const OwnFile& file) {
    for (const QString& name : folder.entryList(QDir::Files | QDir::System))
        if (file.isAt(systemPath(folder.filePath(name))))
            return folder.filePath(name);
    return {};
}

bool removeIfStill(const QString& path, const OwnFile& file) {
    return file.isAt(systemPath(path)) && QFile::remove(path);
}

std::optional<Leftover> recoverOne(const QDir& folder, const QString& name, const OwnFile& file,
                                   const QString& meant, const NameFor& nameFor) {
    Leftover leftover{folder.filePath(name), {}, file.size(), {}};
    if (file.links() > 1) {
        // A file with a name elsewhere is not a leftover, unless the name is its form's.
        leftover.sameAs = sameFileIn(folder, file);
        if (leftover.sameAs.isEmpty() || !removeIfStill(leftover.file, file)) return {};
        return leftover;
    }
    if (leftover.size == 0) {
        if (!removeIfStill(leftover.file, file)) return {};
        return leftover;
    }
    const std::string head = file.head(kHeadBytes);
    const QDateTime written = QDateTime::fromMSecsSinceEpoch(file.modifiedMs(), Qt::UTC);
    QString path = folder.filePath(nameFor(QByteArray::fromStdString(head), written, meant));
    if (!ArchiveFiles::claim(leftover.file, path, leftover.size).isEmpty()) return {};
    // The name may have been given to something else between the look and the claim.
    if (!file.isAt(systemPath(path))) {
        QFile::remove(path);
        return {};
    }
    leftover.path = path;
    return leftover;
}

}  // namespace

std::vector<Leftover> recover(const QString& folder, const NameFor& nameFor, const QDateTime& now) {
    std::vector<Leftover> found;
    QStringList folders{folder};
    for (const QString& sub : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders << QDir(folder).filePath(sub);
    const QDateTime unjudgedBefore = now.addSecs(-kUnjudgedAfterSecs);
    for (const QString& where : folders) {
        const QDir dir(where);
        // Every kind of entry: what each name is, is asked of the file opened, never of a list.
        const QStringList names =
            dir.entryList({ArchiveFiles::kTempPattern},
                          QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                          QDir::Name);
        for (const QString& name : names) {
            const auto owner = ArchiveFiles::tempOwner(name);
            if (!owner) continue;
            const OwnFile file(systemPath(dir.filePath(name)));
            if (!file.isOpen()) continue;
            const QDateTime modified = QDateTime::fromMSecsSinceEpoch(file.modifiedMs(), Qt::UTC);
            const Writer writer = judge(*owner, modified);
            if (writer == Writer::Running) continue;
            if (writer == Writer::Unjudged && modified >= unjudgedBefore) continue;
            if (auto leftover = recoverOne(dir, name, file, owner->meant, nameFor))
                found.push_back(*leftover);
        }
    }
    if (!found.empty()) syncFileSystemOf(systemPath(folder));
    return found;
}

}  // namespace ArchiveLeftovers
