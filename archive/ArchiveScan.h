#pragma once

#include <QFileInfo>
#include <QString>
#include <atomic>
#include <functional>
#include <vector>

// The form files below an archive's root as they stand: names, sizes and times only, nothing
// read. Hidden folders and files and other names than ".txt" are left out (see
// FormPath::isForm); folders reached through a link are not entered, so a link cannot lead round.
namespace ArchiveScan {

struct File {
    QString path;  // below the root, with '/'
    qint64 size = 0;
    qint64 mtime = 0;  // ms since the epoch
    // Whether size and time were looked at: only for a name the caller knows, in a folder it does
    // not trust. A name it does not know is to be read whole, and the read tells them.
    bool stamped = true;
};

struct Folder {
    QString path;  // below the root, "" for the root itself
    qint64 mtimeNs = 0;
    int forms = 0;  // form names right in it
};

struct Listing {
    std::vector<File> files;
    std::vector<Folder> folders;
    bool stopped = false;  // left halfway: not a picture of the archive
};

// Whether the files of a folder as found now may keep the sizes and times the caller knows, and
// whether the caller knows a file; without `trusts`, no folder is. Every name is listed all the
// same, so that a file added, removed or renamed is always seen; only a file changed in place goes
// unseen in a trusted folder.
struct Shortcut {
    std::function<bool(const Folder&)> trusts;
    std::function<bool(const QString& path)> knows;
};

// `stop`, when set, is looked at before each folder: the first look at a cold archive of years
// lists its folders for seconds, and whoever asked for it may be gone.
Listing scan(const QString& root, const Shortcut& shortcut = {},
             const std::atomic<bool>* stop = nullptr);
// One file as scan() lists it, `path` below the root.
File stamp(const QFileInfo& info, const QString& path);

}  // namespace ArchiveScan
