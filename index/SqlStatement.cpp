#include "index/SqlStatement.h"

#include <sqlite3.h>

#include <utility>

SqlStatement::SqlStatement(sqlite3* db, const char* sql) {
    m_code = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(m_stmt);
}

SqlStatement::SqlStatement(SqlStatement&& other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr)), m_code(other.m_code) {}

SqlStatement& SqlStatement::operator=(SqlStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_code = other.m_code;
    }
    return *this;
}

SqlStatement& SqlStatement::bind(int i, qint64 value) {
    sqlite3_bind_int64(m_stmt, i, value);
    return *this;
}

SqlStatement& SqlStatement::bind(int i, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(m_stmt, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

SqlStatement& SqlStatement::bindBlob(int i, QByteArrayView value) {
    // A zero-length blob, not NULL, for an empty form.
    sqlite3_bind_blob(m_stmt, i, value.data() ? value.data() : "", int(value.size()),
                      SQLITE_TRANSIENT);
    return *this;
}

SqlStatement& SqlStatement::bindText(int i, QByteArrayView utf8) {
    sqlite3_bind_text(m_stmt, i, utf8.data() ? utf8.data() : "", int(utf8.size()),
                      SQLITE_TRANSIENT);
    return *this;
}

SqlStatement& SqlStatement::bind(const char* name, qint64 value) {
    if (const int i = sqlite3_bind_parameter_index(m_stmt, name)) bind(i, value);
    return *this;
}

SqlStatement& SqlStatement::bind(const char* name, const QString& value) {
    if (const int i = sqlite3_bind_parameter_index(m_stmt, name)) bind(i, value);
    return *this;
}

SqlStatement& SqlStatement::bindText(const char* name, QByteArrayView utf8) {
    if (const int i = sqlite3_bind_parameter_index(m_stmt, name)) bindText(i, utf8);
    return *this;
}

bool SqlStatement::step() {
    if (!m_stmt) return false;
    m_code = sqlite3_step(m_stmt);
    return m_code == SQLITE_ROW;
}

bool SqlStatement::failed() const {
    return m_code != SQLITE_OK && m_code != SQLITE_ROW && m_code != SQLITE_DONE;
}

void SqlStatement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

qint64 SqlStatement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QString SqlStatement::text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column));
}

QByteArrayView SqlStatement::blob(int column) const {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    return QByteArrayView(p, sqlite3_column_bytes(m_stmt, column));
}
