#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <thread>

#include "index/Reconciler.h"

// Brings an archive's index in line with its files on a thread of its own, so that the window
// stays usable and shows what is indexed so far. Its signals come on the object's thread.
class IndexUpdater : public QObject {
    Q_OBJECT
public:
    enum class Look {
        // When the window is shown: every file's size and time as well, and the indexes of
        // archives not opened for long dropped from the cache.
        Whole,
        // While it is open, after a change: the names, and the files of folders changed lately.
        Quick,
    };
    struct Result {
        QString failure;       // SQLite's words, empty when the index is in line
        bool rebuilt = false;  // a damaged index was made anew
        int changes = 0;       // forms added, changed and removed
        QStringList watch;     // the folders where forms come (ArchiveFollower::foldersToWatch)
        bool notifies = true;  // whether the archive's file system tells of changes
    };

    explicit IndexUpdater(QObject* parent = nullptr);
    ~IndexUpdater() override;  // stops and waits

    // Does nothing while a run is going on.
    void start(const QString& root, const QString& indexFile, Look look = Look::Whole);
    bool isRunning() const { return m_running; }
    void stop();

signals:
    // Each time a batch of forms became visible to readers.
    void progress(qsizetype done, qsizetype total);
    void finished(const IndexUpdater::Result& result);

private:
    void run(QString root, QString indexFile, Look look);

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    bool m_running = false;
};
