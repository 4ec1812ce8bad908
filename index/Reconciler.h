#pragma once

#include <QString>
#include <atomic>
#include <functional>

#include "index/ArchiveScan.h"
#include "index/FormRecord.h"

class IndexDatabase;

// Brings an index in line with its archive's files, found by name, size and modification time:
// new files are read and added, changed ones read again, the index's forms whose file is gone
// dropped (a renamed file is both). Nothing else is read, so an unchanged archive costs a walk of
// its folders.
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

    Summary run();
    // One form file (a full path below the root) read and put into the index now.
    bool addFile(const QString& path);

    // The record of a file as read from the disk, with its error if unreadable; `text` gets
    // its bytes.
    static FormRecord read(const QString& root, const ArchiveScan::File& file, QByteArray& text);

private:
    bool removeGone(const std::vector<qint64>& gone, Summary& summary);
    bool addAll(std::vector<ArchiveScan::File>& files, Summary& summary);

    IndexDatabase& m_db;
    QString m_root;
    Progress m_progress;
    const std::atomic<bool>* m_stop = nullptr;
};
