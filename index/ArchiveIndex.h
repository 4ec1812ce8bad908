#pragma once

#include <QString>

#include "index/IndexDatabase.h"

// The index the archive window reads its tree and counts from, and what the window says of it.
// It is kept in the per-user cache; where the cache folder cannot hold it, in memory, so that
// the forms are listed all the same (the files are the truth), only without the search. The
// connection here is the window's; the index's writer and the list's worker have their own.
class ArchiveIndex {
public:
    explicit ArchiveIndex(QString root);

    // Opens the index for the window being shown; false when the archive's folder is missing
    // (the note says so) and nothing was opened.
    bool open();
    // The window shown anew: an index kept in memory goes back to the cache when the cache can
    // hold it again; the note of the last showing goes, unless the index is still in memory.
    void startShowing();
    // The cache could not keep the index (`why` in SQLite's words, for the log): from now on it
    // is kept in memory, and the note names the folder that stands in the way.
    void keepInMemory(const QString& why);
    // The file under the connection was replaced by a rebuild that is under way.
    void reopenRebuilt();
    // At the end of a look: a rebuild under way is done, and the note says so. True when one was.
    bool rebuildDone();

    bool isOpen() const { return m_open; }
    bool inMemory() const;
    // Whether the search can be offered: not over an index kept in memory.
    bool searchable() const { return !(m_open && inMemory()); }
    const QString& file() const { return m_file; }
    const QString& note() const { return m_note; }
    IndexDatabase& db() { return m_db; }

private:
    bool backToCache();

    QString m_root;
    QString m_file;
    IndexDatabase m_db;
    bool m_open = false;
    bool m_rebuilding = false;  // the note tells of a rebuild under way
    QString m_note;             // what the status bar tells besides the counts
};
