#include "index/ArchiveFollower.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QTimer>

#include "archive/ArchiveName.h"

ArchiveFollower::ArchiveFollower(QObject* parent)
    : QObject(parent),
      m_watcher(new QFileSystemWatcher(this)),
      m_burst(new QTimer(this)),
      m_settle(new QTimer(this)),
      m_poll(new QTimer(this)) {
    // Started by the first change of a burst and not again by the rest, so that a copy that
    // never pauses is still looked at every kBurstMs.
    m_burst->setSingleShot(true);
    m_burst->setInterval(kBurstMs);
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    m_poll->setInterval(kPollMs);
    const auto burst = [this] {
        if (!m_burst->isActive()) m_burst->start();
    };
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, burst);
    for (QTimer* t : {m_burst, m_settle, m_poll})
        connect(t, &QTimer::timeout, this, &ArchiveFollower::lookAgain);
}

QStringList ArchiveFollower::foldersToWatch(const QString& root,
                                            const std::vector<ArchiveScan::Folder>& folders,
                                            const QDate& today) {
    const QString recent = ArchiveName::monthFolder(today.addMonths(-1));
    const QDir top(root);
    QStringList out{top.absolutePath()};
    for (const ArchiveScan::Folder& f : folders) {
        if (f.path.isEmpty()) continue;
        const QStringList parts = f.path.split(u'/');
        const QString& last = parts.back();
        const bool month = ArchiveName::isMonthFolder(last);
        // A site's folder gets each new month; a month's folder, this month's forms and last
        // month's late ones. Older months change only by hand, seen when the window is shown.
        const bool watch =
            (parts.size() == 1 && !month) || (parts.size() <= 2 && month && last >= recent);
        if (watch) out.append(top.absoluteFilePath(f.path));
    }
    return out;
}

bool ArchiveFollower::notifies(const QByteArray& type) {
    // The kernel tells of what this computer does; a share's server does not pass on what
    // another does to it, nor does a FUSE file system as a rule.
    for (const char* remote : {"nfs", "cifs", "smb", "fuse", "9p", "ceph", "afs", "davfs",
                               "glusterfs", "lustre", "virtiofs", "vboxsf"})
        if (type.startsWith(remote)) return false;
    return true;
}

void ArchiveFollower::follow(const QStringList& folders, bool notifies, int changes) {
    const QStringList before = watched();
    QStringList gone = before;
    QStringList fresh;
    for (const QString& f : folders)
        if (!gone.removeOne(f)) fresh.append(f);
    if (!gone.isEmpty()) m_watcher->removePaths(gone);
    // A folder the kernel will not watch (too many watches, a file system without them) is
    // looked at by the clock.
    const bool failed = !fresh.isEmpty() && !m_watcher->addPaths(fresh).isEmpty();
    if (!notifies || failed) {
        if (!m_poll->isActive()) m_poll->start();
    } else {
        m_poll->stop();
    }
    // A form added to a folder between the look at it and its watch would wait for the next
    // change; a form being written when read, for a look once its size stands.
    if (changes > 0 || !fresh.isEmpty()) m_settle->start();
}

void ArchiveFollower::stop() {
    const QStringList all = watched();
    if (!all.isEmpty()) m_watcher->removePaths(all);
    for (QTimer* t : {m_burst, m_settle, m_poll}) t->stop();
}

QStringList ArchiveFollower::watched() const {
    return m_watcher->directories();
}
