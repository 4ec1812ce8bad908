#pragma once

#include <QString>
#include <atomic>
#include <limits>
#include <optional>
#include <vector>

#include "index/FormRecord.h"
#include "index/SearchText.h"
#include "index/SqlStatement.h"

class IndexDatabase;

// The forms of a part of the archive, or those of it whose text holds every term of a search,
// read a batch at a time as the list is scrolled, so that no more than is seen is ever read.
// Browsing lists the newest received first; a search lists the newest indexed first. Each batch
// goes on from the last row read and lets go of the index when done: a statement left open
// would hold the reader to the index as it was, and the index being written would grow.
class FormQuery {
public:
    // Which forms: a site ("" for the forms without one) and a month ("2026-12"), each
    // unset for all.
    struct Scope {
        std::optional<QString> site;
        std::optional<QString> month;
    };
    struct Row {
        FormRecord form;
        SearchText::Excerpt excerpt;  // where a search found it; empty when browsing
        QString storeText;  // the form's text, when found in the common archive
    };

    // A blank `search` browses. Must not outlive `db`, and is used on one thread at a time.
    FormQuery(IndexDatabase& db, const QString& search, Scope scope);

    // How many forms `scope` holds: a list read a batch at a time knows only what it read. None
    // when the index could not be read; `db` tells why.
    static std::optional<qint64> count(IndexDatabase& db, const Scope& scope);

    bool isSearch() const { return m_search; }
    // The next `count` rows at most; fewer only at the end, or once `stop` is set.
    std::vector<Row> fetch(int count, const std::atomic<bool>* stop = nullptr);
    bool atEnd() const { return m_atEnd; }
    bool failed() const { return m_failed; }

private:
    static void bindScope(SqlStatement& statement, const Scope& scope);
    // The search, the scope and where the last batch ended: a reset statement forgets them.
    void bindAll();

    bool m_search = false;
    std::vector<QByteArray> m_terms;
    QByteArray m_tokens;  // what the index must hold for the terms
    Scope m_scope;
    SqlStatement m_statement;
    // The last row read: its time received (browsing) and id.
    qint64 m_lastReceived = std::numeric_limits<qint64>::max();
    qint64 m_lastId = std::numeric_limits<qint64>::max();
    bool m_atEnd = false;
    bool m_failed = false;
};
