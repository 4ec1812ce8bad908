#pragma once

#include <QFileInfo>
#include <QString>
#include <vector>

// The form files below an archive's root as they stand: names, sizes and times only, nothing
// read. Hidden folders and files and other names than ".txt" are left out (see
// FormPath::isForm); folders reached through a link are not entered, so a link cannot lead round.
namespace ArchiveScan {

struct File {
    QString path;  // below the root, with '/'
    qint64 size = 0;
    qint64 mtime = 0;  // ms since the epoch
};

std::vector<File> files(const QString& root);
// One file as files() lists it, `path` below the root.
File stamp(const QFileInfo& info, const QString& path);

}  // namespace ArchiveScan
