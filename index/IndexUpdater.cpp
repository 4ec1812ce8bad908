#include "index/IndexUpdater.h"

#include <QDate>
#include <QMetaObject>
#include <QStorageInfo>

#include "index/ArchiveFollower.h"
#include "index/IndexDatabase.h"
#include "index/IndexLocation.h"

IndexUpdater::IndexUpdater(QObject* parent) : QObject(parent) {}

IndexUpdater::~IndexUpdater() {
    stop();
}

void IndexUpdater::stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    m_stop = false;
    m_running = false;
}

void IndexUpdater::start(const QString& root, const QString& indexFile, Look look) {
    if (m_running) return;
    if (m_thread.joinable()) m_thread.join();
    m_running = true;
    m_thread = std::thread([this, root, indexFile, look] { run(root, indexFile, look); });
}

void IndexUpdater::run(QString root, QString indexFile, Look look) {
    const auto post = [this](auto f) { QMetaObject::invokeMethod(this, f, Qt::QueuedConnection); };
    IndexDatabase db;
    bool opened = db.open(indexFile);
    bool rebuilt = db.rebuilt();
    Reconciler::Summary summary;
    Result result;
    if (opened) {
        Reconciler reconciler(db, root);
        reconciler.setStop(&m_stop);
        reconciler.setProgress([&](qsizetype done, qsizetype total) {
            post([this, done, total] { emit progress(done, total); });
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
        // Damaged while in use: made anew once, from the files.
        if (summary.failed && db.damaged()) {
            db.close();
            IndexDatabase::removeFiles(indexFile);
            rebuilt = true;
            opened = db.open(indexFile);
            if (opened) summary = reconciler.run();
            changes = summary.added;
        }
        result.changes = changes;
        if (opened)
            result.watch =
                ArchiveFollower::foldersToWatch(root, db.folders(), QDate::currentDate());
    }
    result.failure = !opened || summary.failed ? db.error() : QString();
    result.rebuilt = rebuilt;
    db.close();
    result.notifies = ArchiveFollower::notifies(QStorageInfo(root).fileSystemType());
    if (look == Look::Whole && !IndexLocation::isMemory(indexFile))
        IndexLocation::dropStale(indexFile, QDateTime::currentDateTime());
    post([this, result] {
        m_running = false;
        emit finished(result);
    });
}
