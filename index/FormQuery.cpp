#include "index/FormQuery.h"

#include "index/FormListing.h"
#include "index/IndexDatabase.h"

FormQuery::FormQuery(IndexDatabase& db, const QString& search, Scope scope)
    : m_scope(std::move(scope)) {
    m_search = !search.trimmed().isEmpty();
    if (m_search) {
        const auto terms = SearchText::terms(search);
        if (!terms) {
            m_atEnd = true;  // a character no form can hold
            return;
        }
        m_terms = *terms;
        for (const QByteArray& term : m_terms) m_tokens += SearchText::queryTokens(term) + ' ';
        m_tokens = m_tokens.simplified();
    }
    using Listing = IndexDatabase::Listing;
    const Listing listing = !m_search            ? Listing::Browse
                            : m_tokens.isEmpty() ? Listing::EveryText
                                                 : Listing::ByTrigrams;
    m_statement = db.listForms(listing, m_scope.site.has_value(), m_scope.month.has_value());
    if (m_statement.failed()) m_failed = m_atEnd = true;
}

void FormQuery::bindScope(SqlStatement& statement, const Scope& scope) {
    if (scope.site) statement.bind(":site", *scope.site);
    if (scope.month) statement.bind(":month", *scope.month);
}

std::optional<qint64> FormQuery::count(IndexDatabase& db, const Scope& scope) {
    SqlStatement s = db.countForms(scope.site.has_value(), scope.month.has_value());
    bindScope(s, scope);
    if (s.step()) return s.integer(0);
    db.check(s.lastCode());
    return std::nullopt;
}

void FormQuery::bindAll() {
    m_statement.bindText(":match", m_tokens);
    m_statement.bind(":received", m_lastReceived);
    m_statement.bind(":id", m_lastId);
    bindScope(m_statement, m_scope);
}

std::vector<FormQuery::Row> FormQuery::fetch(int count, const std::atomic<bool>* stop) {
    std::vector<Row> rows;
    if (m_atEnd) return rows;
    bindAll();
    while (int(rows.size()) < count) {
        // Between rows: a search that reads every text is left as soon as nobody waits for it,
        // and goes on from here if asked again.
        if (stop && stop->load()) break;
        if (!m_statement.step()) {
            m_atEnd = true;
            m_failed = m_statement.failed();
            break;
        }
        m_lastId = m_statement.integer(0);
        m_lastReceived = m_statement.integer(6);
        if (!m_search) {
            rows.push_back({formOfRow(m_statement), {}});
            continue;
        }
        // The trigrams all stand in the text, but perhaps not side by side: look.
        const QByteArrayView body = m_statement.blob(kListedTextColumn);
        const QByteArray folded = SearchText::fold(body);
        if (!SearchText::holdsAll(folded, m_terms)) continue;
        rows.push_back({formOfRow(m_statement), SearchText::excerpt(body, folded, m_terms)});
    }
    m_statement.reset();
    return rows;
}
