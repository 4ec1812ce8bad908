#include "index/FormQuery.h"

#include <sqlite3.h>

#include <QDateTime>

#include "index/IndexDatabase.h"

namespace {

constexpr const char* kColumns =
    "f.id, f.path, f.size, f.mtime, f.site, f.month, f.received, f.port, f.type, f.first_line, "
    "f.error";
constexpr int kBodyColumn = 11;

}  // namespace

FormQuery::FormQuery(IndexDatabase& db, const QString& search, Scope scope) {
    m_search = !search.trimmed().isEmpty();
    if (m_search) {
        const auto terms = SearchText::terms(search);
        if (!terms) {
            m_atEnd = true;  // a character no form can hold
            return;
        }
        m_terms = *terms;
    }
    prepare(db, scope);
}

void FormQuery::prepare(IndexDatabase& db, const Scope& scope) {
    m_scope = scope;
    QByteArray& tokens = m_tokens;
    for (const QByteArray& term : m_terms) tokens += SearchText::queryTokens(term) + ' ';
    tokens = tokens.simplified();
    QByteArray sql = "SELECT " + QByteArray(kColumns);
    QByteArray where = " WHERE 1";
    if (!m_search) {
        sql += " FROM forms f";
        where += " AND (f.received < :received OR (f.received = :received AND f.id < :id))";
    } else if (!tokens.isEmpty()) {
        sql += ", t.body FROM grams JOIN forms f ON f.id = grams.rowid JOIN texts t ON t.id = f.id";
        where += " AND grams MATCH :match AND grams.rowid < :id";
    } else {
        sql += ", t.body FROM forms f JOIN texts t ON t.id = f.id";
        where += " AND f.id < :id";
    }
    sql += where + scopeWhere(scope);
    if (!m_search)
        sql += " ORDER BY f.received DESC, f.id DESC";
    else
        sql += tokens.isEmpty() ? " ORDER BY f.id DESC" : " ORDER BY grams.rowid DESC";
    m_statement = SqlStatement(db.handle(), sql.constData());
    if (!db.check(m_statement.lastCode())) m_failed = m_atEnd = true;
}

QByteArray FormQuery::scopeWhere(const Scope& scope) {
    QByteArray where;
    if (scope.site) where += " AND f.site = :site";
    if (scope.month) where += " AND f.month = :month";
    return where;
}

void FormQuery::bindScope(SqlStatement& statement, const Scope& scope) {
    const auto bindNamed = [&](const char* name, const QString& value) {
        const int i = sqlite3_bind_parameter_index(statement.handle(), name);
        if (i > 0) statement.bind(i, value);
    };
    if (scope.site) bindNamed(":site", *scope.site);
    if (scope.month) bindNamed(":month", *scope.month);
}

qint64 FormQuery::count(IndexDatabase& db, const Scope& scope) {
    const QByteArray sql = "SELECT count(*) FROM forms f WHERE 1" + scopeWhere(scope);
    SqlStatement s(db.handle(), sql.constData());
    bindScope(s, scope);
    return s.step() ? s.integer(0) : 0;
}

FormRecord FormQuery::record(const SqlStatement& s) {
    FormRecord r;
    r.id = s.integer(0);
    r.path = s.text(1);
    r.size = s.integer(2);
    r.mtime = s.integer(3);
    r.site = s.text(4);
    r.month = s.text(5);
    r.received = QDateTime::fromMSecsSinceEpoch(s.integer(6));
    r.port = s.text(7);
    r.type = s.text(8);
    r.firstLine = s.text(9);
    r.error = s.text(10);
    return r;
}

void FormQuery::bindAll() {
    const auto index = [&](const char* name) {
        return sqlite3_bind_parameter_index(m_statement.handle(), name);
    };
    if (const int i = index(":match")) m_statement.bindText(i, m_tokens);
    if (const int i = index(":received")) m_statement.bind(i, m_lastReceived);
    if (const int i = index(":id")) m_statement.bind(i, m_lastId);
    bindScope(m_statement, m_scope);
}

std::vector<FormQuery::Row> FormQuery::fetch(int count) {
    std::vector<Row> rows;
    if (m_atEnd) return rows;
    bindAll();
    while (int(rows.size()) < count) {
        if (!m_statement.step()) {
            m_atEnd = true;
            m_failed = m_statement.lastCode() != SQLITE_DONE;
            break;
        }
        m_lastId = m_statement.integer(0);
        m_lastReceived = m_statement.integer(6);
        if (!m_search) {
            rows.push_back({record(m_statement), {}});
            continue;
        }
        // The trigrams all stand in the text, but perhaps not side by side: look.
        const QByteArrayView body = m_statement.blob(kBodyColumn);
        const QByteArray folded = SearchText::fold(body);
        if (!SearchText::holdsAll(folded, m_terms)) continue;
        rows.push_back({record(m_statement), SearchText::excerpt(body, folded, m_terms)});
    }
    m_statement.reset();
    return rows;
}
