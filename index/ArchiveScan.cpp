#include "index/ArchiveScan.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include "index/FormPath.h"

namespace ArchiveScan {
namespace {

void scan(const QDir& folder, const QString& prefix, std::vector<File>& out) {
    // System: a pipe or a dangling link under a form's name is listed, to be shown unreadable.
    const QFileInfoList entries = folder.entryInfoList(
        {QStringLiteral("*.txt"), QStringLiteral("*.TXT")}, QDir::Files | QDir::System);
    for (const QFileInfo& f : entries) {
        const QString path = prefix + f.fileName();
        if (!FormPath::isForm(path)) continue;
        out.push_back({path, f.size(), f.lastModified().toMSecsSinceEpoch()});
    }
    const QStringList folders =
        folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& sub : folders) scan(QDir(folder.filePath(sub)), prefix + sub + u'/', out);
}

}  // namespace

std::vector<File> files(const QString& root) {
    std::vector<File> out;
    scan(QDir(root), QString(), out);
    return out;
}

}  // namespace ArchiveScan
