#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <thread>

#include "index/Reconciler.h"

// Brings an archive's index in line with its files on a thread of its own, so that the window
// stays usable and shows what is indexed so far. Its signals come on the object's thread.
class IndexUpdater : public QObject {
    Q_OBJECT
public:
    explicit IndexUpdater(QObject* parent = nullptr);
    ~IndexUpdater() override;  // stops and waits

    // Does nothing while a run is going on.
    void start(const QString& root, const QString& indexFile);
    bool isRunning() const { return m_running; }
    void stop();

signals:
    // Each time a batch of forms became visible to readers.
    void progress(qsizetype done, qsizetype total);
    // `failure` is empty when the index is in line; `rebuilt` when a damaged one was made anew.
    void finished(const QString& failure, bool rebuilt);

private:
    void run(QString root, QString indexFile);

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    bool m_running = false;
};
