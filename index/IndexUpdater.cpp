#include "index/IndexUpdater.h"

#include <QMetaObject>

#include "index/IndexDatabase.h"

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

void IndexUpdater::start(const QString& root, const QString& indexFile) {
    if (m_running) return;
    if (m_thread.joinable()) m_thread.join();
    m_running = true;
    m_thread = std::thread([this, root, indexFile] { run(root, indexFile); });
}

void IndexUpdater::run(QString root, QString indexFile) {
    const auto post = [this](auto f) { QMetaObject::invokeMethod(this, f, Qt::QueuedConnection); };
    IndexDatabase db;
    bool opened = db.open(indexFile);
    bool rebuilt = db.rebuilt();
    Reconciler::Summary summary;
    if (opened) {
        Reconciler reconciler(db, root);
        reconciler.setStop(&m_stop);
        reconciler.setProgress([&](qsizetype done, qsizetype total) {
            post([this, done, total] { emit progress(done, total); });
        });
        summary = reconciler.run();
        // The forms added, removed and renamed are in by now; a form rewritten in place in a
        // folder that looked unchanged is found by a look at every file's size and time.
        if (!summary.failed && !summary.stopped) {
            reconciler.setThorough(true);
            summary = reconciler.run();
        }
        // Damaged while in use: made anew once, from the files.
        if (summary.failed && db.damaged()) {
            db.close();
            IndexDatabase::removeFiles(indexFile);
            rebuilt = true;
            opened = db.open(indexFile);
            if (opened) summary = reconciler.run();
        }
    }
    const QString failure = !opened || summary.failed ? db.error() : QString();
    db.close();
    post([this, failure, rebuilt] {
        m_running = false;
        emit finished(failure, rebuilt);
    });
}
