#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

#include "archive/ArchiveScan.h"
#include "index/FormListing.h"
#include "index/FormRecord.h"
#include "index/SqlStatement.h"

struct sqlite3;

// The search index of one archive: a SQLite file in the per-user cache, never the truth. Forms
// are rows of `forms`, their bytes rows of `texts`, and `grams` a contentless FTS5 table of
// each text's distinct trigrams (see SearchText::trigramTokens). Every connection of a thread
// is its own object; the file is in WAL mode, so readers go on while one writer adds.
class IndexDatabase {
public:
    IndexDatabase() = default;
    ~IndexDatabase();
    IndexDatabase(const IndexDatabase&) = delete;
    IndexDatabase& operator=(const IndexDatabase&) = delete;

    // Opens or makes the index at `file`. A file that is not a sound index of this version is
    // removed and made anew; rebuilt() then says so. False when even a new one cannot be made.
    // An index in memory (IndexLocation::memoryFor) lists the forms without their texts: the
    // texts and their trigrams weigh 1.5 times the archive, which memory cannot spare.
    bool open(const QString& file);
    // Opens the index at `file`, made already, only to read it: no schema, no probe, so that a
    // search may have a connection of its own on its own thread at little cost.
    bool openToRead(const QString& file);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    bool rebuilt() const { return m_rebuilt; }
    bool searchable() const { return m_searchable; }
    QString error() const { return m_error; }
    // Whether the last failure was the file's damage rather than a passing lock.
    bool damaged() const;
    // Removes the index file with its journal; the next open() starts afresh.
    static void removeFiles(const QString& file);

    struct Stamp {
        qint64 id;
        QString path;
        qint64 size;
        qint64 mtime;
        bool unreadable;  // read again each time: what kept it from being read may be gone
    };
    std::vector<Stamp> stamps();
    // The folders as the last complete look at the files found them.
    std::vector<ArchiveScan::Folder> folders();
    bool setFolders(const std::vector<ArchiveScan::Folder>& folders);

    bool begin();
    bool commit();
    // Adds the form, or replaces the one of the same path. `cp1251` is its text.
    bool put(FormRecord& record, QByteArrayView cp1251);
    // The same with the text's tokens made already (SearchText::indexTokens of it folded).
    bool put(FormRecord& record, QByteArrayView cp1251, QByteArrayView tokens);
    bool remove(qint64 id);

    struct Scope {
        QString site;
        QString month;
        qint64 forms;
    };
    std::vector<Scope> scopes();        // by site, then month, newest first
    std::optional<qint64> formCount();  // none when the index could not be read

    // The statements of FormQuery (FormListing).
    using Listing = FormListingKind;
    SqlStatement listForms(Listing listing, bool bySite, bool byMonth);
    SqlStatement countForms(bool bySite, bool byMonth);

    bool check(int code);  // true for success codes; keeps the error otherwise

private:
    bool openFile(const QString& file);
    bool connect(const QString& file, int flags);
    bool makeSchema();
    bool useWal();
    bool removeGrams(qint64 id);

    sqlite3* m_db = nullptr;
    bool m_rebuilt = false;
    bool m_searchable = true;
    int m_code = 0;
    QString m_error;
    SqlStatement m_insertForm, m_insertText, m_insertGrams, m_findPath;
};
