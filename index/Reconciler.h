#pragma once

#include <QHash>
#include <QString>
#include <atomic>
#include <functional>

#include "archive/ArchiveScan.h"
#include "index/FormRecord.h"
#include "index/IndexDatabase.h"

// Brings an index in line with its archive's files, found by name, size and modification time:
// new files are read and added, changed ones read again, the index's forms whose file is gone
// dropped (a renamed file is both). Nothing else is read, so an unchanged archive costs a walk of
// its folders. A folder whose time and number of forms are as the last look left them keeps the
// sizes and times of the forms the index knows in it, unless the look is thorough: its names are
// still compared, so only a file rewritten in place waits for a thorough look.
class Reconciler {
public:
    struct Summary {
        int added = 0;
        int changed = 0;
        int removed = 0;
        int unreadable = 0;  // listed with their error
        qint64 bytes = 0;    // read
        bool stopped = false;
        bool failed = false;  // the index failed; its error tells why
    };
    // After each batch made visible to readers: forms done of those to read.
    using Progress = std::function<void(qsizetype done, qsizetype total)>;

    Reconciler(IndexDatabase& db, QString root);
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // Seen between files; the work done so far stays.
    void setStop(const std::atomic<bool>* stop) { m_stop = stop; }
    // Every file's size and time looked at, in trusted folders too.
    void setThorough(bool thorough) { m_thorough = thorough; }

    Summary run();
    // One form file (a full path below the root) read and put into the index now.
    bool addFile(const QString& path);

private:
    ArchiveScan::Shortcut shortcut(const QHash<QString, IndexDatabase::Stamp>& known);
    bool keepFolders(std::vector<ArchiveScan::Folder>& folders);
    bool removeGone(const std::vector<qint64>& gone, Summary& summary);
    bool addAll(std::vector<ArchiveScan::File>& files, Summary& summary);
    std::vector<ArchiveScan::File> oldestFirst(std::vector<ArchiveScan::File>& files) const;

    IndexDatabase& m_db;
    QString m_root;
    Progress m_progress;
    const std::atomic<bool>* m_stop = nullptr;
    bool m_thorough = false;
    QHash<QString, ArchiveScan::Folder> m_folders;
};
