#include "index/ArchiveScan.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>

#include "index/FormPath.h"

namespace ArchiveScan {
namespace {

// Unsorted and without name filters: an archive of years has 100,000 names, and sorting them
// or matching each against a pattern costs more than looking at them.
void scan(const QString& folder, const QString& prefix, std::vector<File>& out) {
    // System: a pipe or a dangling link under a form's name is listed, to be shown unreadable.
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        const QFileInfo info = it.fileInfo();
        if (info.isDir()) {
            if (!info.isSymLink()) scan(it.filePath(), prefix + name + u'/', out);
            continue;
        }
        const QString path = prefix + name;
        if (FormPath::isForm(path)) out.push_back(stamp(info, path));
    }
}

}  // namespace

File stamp(const QFileInfo& info, const QString& path) {
    return {path, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

std::vector<File> files(const QString& root) {
    std::vector<File> out;
    scan(root, QString(), out);
    return out;
}

}  // namespace ArchiveScan
