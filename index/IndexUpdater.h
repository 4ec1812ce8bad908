#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>

#include "index/Reconciler.h"

class IndexWriter;

// Brings an archive's index in line with its files on the index's writer (IndexWriter), so that
// the window stays usable and shows what is indexed so far. Its signals come on the object's
// thread, and only for the look it started last: a look stopped or replaced is never heard of
// again, nor is anything waited for.
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
    ~IndexUpdater() override;  // stops, without waiting

    // Does nothing while a run is going on.
    void start(const QString& root, const QString& indexFile, Look look = Look::Whole);
    bool isRunning() const { return m_running; }
    // The look under way is told to stop and forgotten; it ends on the writer's thread.
    void stop();

signals:
    // Each time a batch of forms became visible to readers.
    void progress(qsizetype done, qsizetype total);
    void finished(const IndexUpdater::Result& result);

private:
    // What the writer's thread tells of a look: its progress, the last time its result.
    struct Report {
        qsizetype done = 0;
        qsizetype total = 0;
        std::optional<Result> end;
    };
    static Result run(IndexDatabase& db, const QString& root, const QString& indexFile, Look look,
                      const std::atomic<bool>& stop, QPromise<Report>& promise);
    static bool rebuild(IndexDatabase& db, const QString& indexFile, Reconciler& reconciler,
                        Reconciler::Summary& summary);
    void onReports(int begin, int end);

    QFutureWatcher<Report>* m_watcher;
    std::shared_ptr<IndexWriter> m_writer;
    QString m_writerFile;
    std::shared_ptr<std::atomic<bool>> m_stop;
    bool m_running = false;
};
