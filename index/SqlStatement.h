#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// One prepared statement of SQLite's C API, finalized when it goes.
class SqlStatement {
public:
    SqlStatement() = default;
    SqlStatement(sqlite3* db, const char* sql);
    ~SqlStatement();
    SqlStatement(SqlStatement&& other) noexcept;
    SqlStatement& operator=(SqlStatement&& other) noexcept;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    sqlite3_stmt* handle() const { return m_stmt; }
    SqlStatement& bind(int i, qint64 value);
    SqlStatement& bind(int i, const QString& value);
    SqlStatement& bindBlob(int i, QByteArrayView value);
    SqlStatement& bindText(int i, QByteArrayView utf8);
    // By a parameter's name (":site"); a name the statement does not hold is passed over, so
    // that one set of values serves the variants of a statement.
    SqlStatement& bind(const char* name, qint64 value);
    SqlStatement& bind(const char* name, const QString& value);
    SqlStatement& bindText(const char* name, QByteArrayView utf8);
    // True while there is a row; the result code of the last step tells why not.
    bool step();
    int lastCode() const { return m_code; }
    // Whether the preparing or the last step ended in an error rather than a row or the end.
    bool failed() const;
    void reset();

    qint64 integer(int column) const;
    QString text(int column) const;
    QByteArrayView blob(int column) const;  // valid until the next step

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_code = 0;
};
