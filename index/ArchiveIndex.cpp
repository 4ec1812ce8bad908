#include "index/ArchiveIndex.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

#include "index/IndexLocation.h"
#include "res/Texts.h"

ArchiveIndex::ArchiveIndex(QString root)
    : m_root(std::move(root)), m_file(IndexLocation::fileFor(m_root)) {}

bool ArchiveIndex::inMemory() const {
    return IndexLocation::isMemory(m_file);
}

bool ArchiveIndex::open() {
    if (!QFileInfo(m_root).isDir()) {
        m_note = texts::kArchiveNoFolder.arg(QDir::toNativeSeparators(m_root));
        return false;
    }
    m_open = m_db.open(m_file);
    if (!m_open && !inMemory()) {
        keepInMemory(m_db.error());
    } else if (m_db.rebuilt()) {
        m_note = texts::kArchiveIndexRebuilt;
        m_rebuilding = true;
    }
    return true;
}

void ArchiveIndex::startShowing() {
    // The note on a cache folder that still cannot hold the index stays.
    if (!inMemory() || backToCache()) m_note.clear();
    m_rebuilding = false;
}

bool ArchiveIndex::backToCache() {
    // Room made or rights given since: the index goes back to the cache, searchable again.
    IndexDatabase probe;
    if (!probe.open(IndexLocation::fileFor(m_root))) return false;
    probe.close();
    m_db.close();
    m_open = false;
    m_file = IndexLocation::fileFor(m_root);
    return true;
}

void ArchiveIndex::keepInMemory(const QString& why) {
    // The operator is told which folder stands in the way; SQLite's words go to the log.
    const QString folder = QFileInfo(m_file).absolutePath();
    qWarning("Archive index %s: %s", qUtf8Printable(m_file), qUtf8Printable(why));
    const QString reason = IndexLocation::whyNotKept(m_file);
    m_db.close();
    m_file = IndexLocation::memoryFor(m_root);
    m_open = m_db.open(m_file);
    m_rebuilding = false;
    if (!m_open) {
        qWarning("Archive index in memory: %s", qUtf8Printable(m_db.error()));
        m_note = texts::kArchiveIndexFailed.arg(reason);
        return;
    }
    m_note = texts::kArchiveIndexInMemory.arg(QDir::toNativeSeparators(folder), reason);
}

void ArchiveIndex::reopenRebuilt() {
    m_db.close();
    m_open = m_db.open(m_file);
    m_rebuilding = true;
}

bool ArchiveIndex::rebuildDone() {
    if (!std::exchange(m_rebuilding, false)) return false;
    m_note = texts::kArchiveIndexRebuiltDone;
    return true;
}
