#include "index/IndexUpdater.h"

#include <QDate>
#include <QPromise>
#include <QStorageInfo>

#include "index/ArchiveFollower.h"
#include "index/IndexDatabase.h"
#include "index/IndexLocation.h"
#include "index/IndexWriter.h"

IndexUpdater::IndexUpdater(QObject* parent)
    : QObject(parent), m_watcher(new QFutureWatcher<Report>(this)) {
    connect(m_watcher, &QFutureWatcherBase::resultsReadyAt, this, &IndexUpdater::onReports);
}

IndexUpdater::~IndexUpdater() {
    stop();
}

void IndexUpdater::stop() {
    if (m_stop) m_stop->store(true);
    m_stop.reset();
    // What the look still reports goes to a future nobody watches.
    m_watcher->setFuture(QFuture<Report>());
    m_running = false;
}

void IndexUpdater::start(const QString& root, const QString& indexFile, Look look) {
    if (m_running) return;
    if (!m_writer || m_writerFile != indexFile) {
        m_writer = IndexWriter::of(indexFile);
        m_writerFile = indexFile;
    }
    m_running = true;
    m_stop = std::make_shared<std::atomic<bool>>(false);
    auto promise = std::make_shared<QPromise<Report>>();
    m_watcher->setFuture(promise->future());
    promise->start();
    m_writer->post([root, indexFile, look, stop = m_stop, promise](IndexDatabase& db) {
        Report last;
        last.end = run(db, root, indexFile, look, *stop, *promise);
        promise->addResult(std::move(last));
        promise->finish();
    });
}

void IndexUpdater::onReports(int begin, int end) {
    const QFuture<Report> future = m_watcher->future();
    for (int i = begin; i < end && m_running; ++i) {
        const Report report = future.resultAt(i);
        if (!report.end) {
            emit progress(report.done, report.total);
            continue;
        }
        m_running = false;
        m_stop.reset();
        emit finished(*report.end);
    }
}

bool IndexUpdater::rebuild(IndexDatabase& db, const QString& indexFile, Reconciler& reconciler,
                           Reconciler::Summary& summary) {
    // Damaged while in use: made anew once, from the files.
    db.close();
    IndexDatabase::removeFiles(indexFile);
    if (!db.open(indexFile)) return false;
    summary = reconciler.run();
    return true;
}

IndexUpdater::Result IndexUpdater::run(IndexDatabase& db, const QString& root,
                                       const QString& indexFile, Look look,
                                       const std::atomic<bool>& stop, QPromise<Report>& promise) {
    Result result;
    bool opened = db.isOpen() || db.open(indexFile);
    result.rebuilt = opened && db.rebuilt();
    Reconciler::Summary summary;
    if (opened) {
        Reconciler reconciler(db, root);
        reconciler.setStop(&stop);
        reconciler.setProgress([&](qsizetype done, qsizetype total) {
            promise.addResult(Report{done, total, std::nullopt});
        });
        summary = reconciler.run();
        int changes = summary.added + summary.changed + summary.removed;
        // The forms added, removed and renamed are in by now; a form rewritten in place in a
        // folder that looked unchanged is found by a look at every file's size and time.
        if (look == Look::Whole && !summary.failed && !summary.stopped) {
            reconciler.setThorough(true);
            summary = reconciler.run();
            changes += summary.added + summary.changed + summary.removed;
        }
        if (summary.failed && db.damaged()) {
            result.rebuilt = true;
            opened = rebuild(db, indexFile, reconciler, summary);
            changes = summary.added;
        }
        result.changes = changes;
        if (opened)
            result.watch =
                ArchiveFollower::foldersToWatch(root, db.folders(), QDate::currentDate());
    }
    result.failure = !opened || summary.failed ? db.error() : QString();
    // A connection that failed is made anew by the next look.
    if (!result.failure.isEmpty()) db.close();
    result.notifies = ArchiveFollower::notifies(QStorageInfo(root).fileSystemType());
    if (look == Look::Whole && !IndexLocation::isMemory(indexFile) && !stop.load())
        IndexLocation::dropStale(indexFile, QDateTime::currentDateTime());
    return result;
}
