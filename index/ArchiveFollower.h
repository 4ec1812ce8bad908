#pragma once

#include <QDate>
#include <QObject>
#include <QStringList>
#include <vector>

#include "archive/ArchiveScan.h"

class QFileSystemWatcher;
class QTimer;

// Tells when the archive's files may have changed while "Архив форм" is open, so that forms
// written by another program (tabulon-collect, a copy, a restore) show and a removed one goes.
// It watches the folders where forms come: the root, each site's folder and the month folders
// of this month and the last. A burst of changes (a collector writing a round, a copy of
// thousands) asks for one look after it has settled a little, and after a look that found
// changes or began to watch new folders, one more look once their times have settled, so that a
// form still being written when looked at is read again. File systems that do not tell of
// changes made elsewhere (network shares) are looked at every kPollMs instead.
class ArchiveFollower : public QObject {
    Q_OBJECT
public:
    static constexpr int kBurstMs = 500;
    // Longer than the time a look takes before it trusts a folder changed just now.
    static constexpr int kSettleMs = 2500;
    static constexpr int kPollMs = 60000;

    explicit ArchiveFollower(QObject* parent = nullptr);

    // The folders of `folders` (below `root`, as a look found them) to watch on `today`, full.
    static QStringList foldersToWatch(const QString& root,
                                      const std::vector<ArchiveScan::Folder>& folders,
                                      const QDate& today);
    // Whether changes made on the file system `type` (QStorageInfo's name) by another computer
    // are told to a watch here.
    static bool notifies(const QByteArray& type);

    // After a look: watches `folders`, or looks every kPollMs when they cannot tell. A look that
    // found `changes` or a folder not watched before is followed by one more.
    void follow(const QStringList& folders, bool notifies, int changes);
    // Watches nothing, looks no more.
    void stop();
    QStringList watched() const;

signals:
    // The archive may have changed: time for a look.
    void lookAgain();

private:
    QFileSystemWatcher* m_watcher;
    QTimer* m_burst;
    QTimer* m_settle;
    QTimer* m_poll;
};
