#include "index/IndexDatabase.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <thread>

#include "files/SystemPath.h"
#include "index/IndexLocation.h"
#include "index/SearchText.h"

namespace {

// Raised whenever the tables change, so that an index of an older program is made anew.
constexpr int kSchemaVersion = 4;

// Made in one transaction with its version (kSchemaVersion, set after it), so that two programs
// opening a new index at the same moment find either nothing or all of it; "IF NOT EXISTS"
// completes what an older program stopped halfway may have left without a version.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS forms(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE,
    size INTEGER NOT NULL, mtime INTEGER NOT NULL, site TEXT NOT NULL, month TEXT NOT NULL,
    received INTEGER NOT NULL, port TEXT NOT NULL, type TEXT NOT NULL, first_line TEXT NOT NULL,
    error TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS forms_by_scope ON forms(site, month, received);
CREATE INDEX IF NOT EXISTS forms_by_received ON forms(received);
CREATE TABLE IF NOT EXISTS texts(id INTEGER PRIMARY KEY, body BLOB NOT NULL);
CREATE VIRTUAL TABLE IF NOT EXISTS grams USING fts5(g, content='', detail=none, tokenize='ascii');
INSERT INTO grams(grams, rank) VALUES('automerge', 16);
INSERT INTO grams(grams, rank) VALUES('crisismerge', 64);
CREATE TABLE IF NOT EXISTS folders(path TEXT PRIMARY KEY, mtime INTEGER NOT NULL,
    forms INTEGER NOT NULL) WITHOUT ROWID;
)";

// How long a connection waits for another's write before it gives up: a batch of the writer
// takes a fraction of a second, a first look at a cold archive's folders a few.
constexpr int kBusyMs = 10000;

}  // namespace

IndexDatabase::~IndexDatabase() {
    close();
}

void IndexDatabase::close() {
    m_insertForm = {};
    m_insertText = {};
    m_insertGrams = {};
    m_findPath = {};
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void IndexDatabase::removeFiles(const QString& file) {
    if (IndexLocation::isMemory(file)) return;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(file + suffix);
}

bool IndexDatabase::check(int code) {
    m_code = code;
    if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW) return true;
    m_error =
        m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(code));
    return false;
}

bool IndexDatabase::damaged() const {
    const int primary = m_code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_SCHEMA ||
           primary == SQLITE_FORMAT || primary == SQLITE_MISMATCH;
}

bool IndexDatabase::open(const QString& file) {
    m_rebuilt = false;
    m_searchable = !IndexLocation::isMemory(file);
    if (m_searchable) QDir().mkpath(QFileInfo(file).absolutePath());
    if (openFile(file)) return true;
    if (!damaged()) return false;
    close();
    removeFiles(file);
    m_rebuilt = true;
    return openFile(file);
}

bool IndexDatabase::connect(const QString& file, int flags) {
    if (!check(sqlite3_open_v2(systemPath(file).c_str(), &m_db, flags | SQLITE_OPEN_URI,
                               nullptr)))
        return false;
    sqlite3_busy_timeout(m_db, kBusyMs);
    return true;
}

bool IndexDatabase::openToRead(const QString& file) {
    m_rebuilt = false;
    m_searchable = !IndexLocation::isMemory(file);
    return connect(file, SQLITE_OPEN_READWRITE) &&
           check(sqlite3_exec(m_db, "PRAGMA query_only=1", nullptr, nullptr, nullptr));
}

bool IndexDatabase::openFile(const QString& file) {
    if (!connect(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) return false;
    // A cache of the files: a write cut short by a power cut costs a rebuild, never a form, so
    // the index never waits for the disk. Pages of 16 KB hold five forms' texts where pages of
    // 4 KB held one with the rest left empty; the size counts only for a new file.
    if (!check(sqlite3_exec(m_db,
                            "PRAGMA page_size=16384; PRAGMA synchronous=OFF; "
                            "PRAGMA cache_size=-32768; PRAGMA wal_autocheckpoint=4096;",
                            nullptr, nullptr, nullptr)))
        return false;
    if (!makeSchema() || !useWal()) return false;
    // A damaged file often opens and fails only when read: read a little of each table.
    for (const char* probe : {"SELECT count(*) FROM forms", "SELECT max(id) FROM texts",
                              "SELECT rowid FROM grams WHERE grams MATCH '000000' LIMIT 1"}) {
        SqlStatement s(m_db, probe);
        if (!check(s.lastCode())) return false;
        while (s.step()) {
        }
        if (!check(s.lastCode())) return false;
    }
    m_insertForm = SqlStatement(m_db,
                                "INSERT INTO forms(path, size, mtime, site, month, received, port, "
                                "type, first_line, error) VALUES(?,?,?,?,?,?,?,?,?,?)");
    m_insertText = SqlStatement(m_db, "INSERT INTO texts(id, body) VALUES(?, ?)");
    m_insertGrams = SqlStatement(m_db, "INSERT INTO grams(rowid, g) VALUES(?, ?)");
    m_findPath = SqlStatement(m_db, "SELECT id FROM forms WHERE path = ?");
    return check(m_insertForm.lastCode()) && check(m_insertText.lastCode()) &&
           check(m_insertGrams.lastCode()) && check(m_findPath.lastCode());
}

bool IndexDatabase::useWal() {
    // After the schema, as the mode cannot change inside its transaction. The change does not
    // wait for another connection as a write does, so it is tried again while one holds the
    // file (the other maker of a new index changing it too). A store in memory keeps its own
    // journal and says so.
    const QDeadlineTimer deadline(kBusyMs);
    for (;;) {
        const int code = sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if ((code & 0xFF) != SQLITE_BUSY || deadline.hasExpired()) return check(code);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool IndexDatabase::makeSchema() {
    {
        // The common case, an index made long ago, only reads, so that opening never waits for a
        // writer's batch.
        SqlStatement version(m_db, "PRAGMA user_version");
        if (version.step() && version.integer(0) == kSchemaVersion) return true;
    }
    // Else looked at again inside the write: a read held over into it would hold a lock that
    // another maker's write must wait for while this one waits for it, and SQLite ends such a
    // deadlock by failing at once.
    if (!begin()) return false;
    bool made = false;
    {
        SqlStatement version(m_db, "PRAGMA user_version");
        if (!version.step()) {
            check(version.lastCode());
        } else if (version.integer(0) == 0) {
            version = {};
            const QByteArray setVersion =
                "PRAGMA user_version=" + QByteArray::number(kSchemaVersion);
            made = check(sqlite3_exec(m_db, kSchema, nullptr, nullptr, nullptr)) &&
                   check(sqlite3_exec(m_db, setVersion.constData(), nullptr, nullptr, nullptr));
        } else if (version.integer(0) != kSchemaVersion) {
            m_code = SQLITE_SCHEMA;
            m_error = QStringLiteral("index version %1").arg(version.integer(0));
        } else {
            made = true;
        }
    }
    if (made) return commit();
    const int code = m_code;
    const QString error = m_error;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_code = code;
    m_error = error;
    return false;
}

std::vector<IndexDatabase::Stamp> IndexDatabase::stamps() {
    std::vector<Stamp> out;
    SqlStatement s(m_db, "SELECT id, path, size, mtime, error != '' FROM forms");
    while (s.step())
        out.push_back({s.integer(0), s.text(1), s.integer(2), s.integer(3), s.integer(4) != 0});
    check(s.lastCode());
    return out;
}

std::vector<ArchiveScan::Folder> IndexDatabase::folders() {
    std::vector<ArchiveScan::Folder> out;
    SqlStatement s(m_db, "SELECT path, mtime, forms FROM folders");
    while (s.step()) out.push_back({s.text(0), s.integer(1), int(s.integer(2))});
    check(s.lastCode());
    return out;
}

bool IndexDatabase::setFolders(const std::vector<ArchiveScan::Folder>& folders) {
    if (!begin() || !check(sqlite3_exec(m_db, "DELETE FROM folders", nullptr, nullptr, nullptr)))
        return false;
    SqlStatement insert(m_db, "INSERT OR REPLACE INTO folders(path, mtime, forms) VALUES(?,?,?)");
    for (const ArchiveScan::Folder& f : folders) {
        insert.reset();
        insert.bind(1, f.path).bind(2, f.mtimeNs).bind(3, qint64(f.forms)).step();
        if (!check(insert.lastCode())) return false;
    }
    return commit();
}

bool IndexDatabase::begin() {
    return check(sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
}

bool IndexDatabase::commit() {
    return check(sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr));
}

bool IndexDatabase::put(FormRecord& r, QByteArrayView cp1251) {
    return put(r, cp1251, SearchText::indexTokens(SearchText::fold(cp1251)));
}

bool IndexDatabase::put(FormRecord& r, QByteArrayView cp1251, QByteArrayView tokens) {
    m_findPath.reset();
    m_findPath.bind(1, r.path);
    const bool known = m_findPath.step();
    const qint64 old = known ? m_findPath.integer(0) : 0;
    m_findPath.reset();
    if (known && !remove(old)) return false;
    m_insertForm.reset();
    m_insertForm.bind(1, r.path).bind(2, r.size).bind(3, r.mtime).bind(4, r.site).bind(5, r.month);
    m_insertForm.bind(6, r.received.toMSecsSinceEpoch()).bind(7, r.port).bind(8, r.type);
    m_insertForm.bind(9, r.firstLine).bind(10, r.error);
    m_insertForm.step();
    if (!check(m_insertForm.lastCode())) return false;
    r.id = sqlite3_last_insert_rowid(m_db);
    if (!m_searchable) return true;
    m_insertText.reset();
    m_insertText.bind(1, r.id).bindBlob(2, cp1251).step();
    if (!check(m_insertText.lastCode())) return false;
    m_insertGrams.reset();
    m_insertGrams.bind(1, r.id).bindText(2, tokens);
    m_insertGrams.step();
    return check(m_insertGrams.lastCode());
}

bool IndexDatabase::removeGrams(qint64 id) {
    // A contentless table forgets a row only when told the very tokens it was given.
    SqlStatement body(m_db, "SELECT body FROM texts WHERE id = ?");
    body.bind(1, id);
    if (!body.step()) return check(body.lastCode());
    SqlStatement forget(m_db, "INSERT INTO grams(grams, rowid, g) VALUES('delete', ?, ?)");
    forget.bind(1, id).bindText(2, SearchText::indexTokens(SearchText::fold(body.blob(0))));
    forget.step();
    return check(forget.lastCode());
}

bool IndexDatabase::remove(qint64 id) {
    if (!removeGrams(id)) return false;
    for (const char* sql : {"DELETE FROM texts WHERE id = ?", "DELETE FROM forms WHERE id = ?"}) {
        SqlStatement s(m_db, sql);
        s.bind(1, id).step();
        if (!check(s.lastCode())) return false;
    }
    return true;
}

std::vector<IndexDatabase::Scope> IndexDatabase::scopes() {
    std::vector<Scope> out;
    SqlStatement s(m_db,
                   "SELECT site, month, count(*) FROM forms GROUP BY site, month "
                   "ORDER BY site, month DESC");
    while (s.step()) out.push_back({s.text(0), s.text(1), s.integer(2)});
    check(s.lastCode());
    return out;
}

std::optional<qint64> IndexDatabase::formCount() {
    SqlStatement s = countForms(false, false);
    if (s.step()) return s.integer(0);
    check(s.lastCode());
    return std::nullopt;
}

SqlStatement IndexDatabase::listForms(Listing listing, bool bySite, bool byMonth) {
    SqlStatement s(m_db, formListingSql(listing, bySite, byMonth).constData());
    check(s.lastCode());
    return s;
}

SqlStatement IndexDatabase::countForms(bool bySite, bool byMonth) {
    SqlStatement s(m_db, formCountSql(bySite, byMonth).constData());
    check(s.lastCode());
    return s;
}
