#include "store/StoreSearch.h"

#include "store/StoreSchema.h"

StoreSearch::StoreSearch(StoreAddress address, int timeoutMs)
    : m_connection(std::move(address), timeoutMs) {}

bool StoreSearch::ready() {
    if (m_connection.isOpen()) return true;
    m_connection.close();
    m_prepared.clear();
    // A store made by an older program lacks the search's indexes until an upload migrates it,
    // which can take minutes: the search, which must answer in seconds, never waits for that.
    QString storeId;
    return m_connection.open() && StoreSchema::isCurrent(m_connection, &storeId);
}

std::optional<StoreConnection::Rows> StoreSearch::run(const StoreQuery& query,
                                                      StoreQuery::Way way) {
    const QByteArray name = query.name(way);
    if (!m_prepared.contains(name)) {
        if (!m_connection.prepare(name.constData(), query.sql(way).constData(), "forms"))
            return std::nullopt;
        m_prepared.insert(name);
    }
    m_lastWay = way;
    return m_connection.execute(name.constData(), query.values(way));
}

std::optional<std::vector<StoreForm>> StoreSearch::find(const QStringList& terms,
                                                        const StoreQuery::Scope& scope) {
    if (!ready()) return std::nullopt;
    const StoreQuery query(terms, scope);
    auto rows = run(query, StoreQuery::Way::Newest);
    if (rows && rows->count() < kFirst) rows = run(query, StoreQuery::Way::Indexed);
    if (!rows) return std::nullopt;
    std::vector<StoreForm> forms(rows->count());
    for (int r = 0; r < rows->count(); ++r) {
        StoreForm& f = forms[r];
        f.site = rows->text(r, 0);
        f.port = rows->text(r, 1);
        f.device = rows->text(r, 2);
        f.received = QDateTime::fromMSecsSinceEpoch(rows->text(r, 3).toLongLong());
        f.fileName = rows->text(r, 4);
        f.size = rows->text(r, 5).toLongLong();
        f.text = rows->text(r, 6);
        f.machine = rows->text(r, 7);
    }
    return forms;
}
