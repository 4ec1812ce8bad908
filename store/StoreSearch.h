#pragma once

#include <QSet>
#include <QStringList>
#include <optional>
#include <vector>

#include "store/StoreConnection.h"
#include "store/StoreForm.h"
#include "store/StoreQuery.h"

// The search of "Архив форм" over every machine's forms in the common archive, finding what the
// local index finds (StoreQuery tells how): the newest received first, the first
// StoreQuery::kFirst of them. Its own connection, opened when first needed and again after it
// broke; each statement prepared once on it.
class StoreSearch {
public:
    static constexpr int kFirst = StoreQuery::kFirst;

    StoreSearch(StoreAddress address, int timeoutMs);

    // `terms` folded as the local index folds them (lower case, ё as е), none blank. Nothing
    // when the store could not be searched; failure() tells why.
    std::optional<std::vector<StoreForm>> find(const QStringList& terms,
                                               const StoreQuery::Scope& scope = {});
    QString failure() const { return m_connection.message(); }
    // Which way the last search found its forms.
    StoreQuery::Way lastWay() const { return m_lastWay; }

private:
    bool ready();
    std::optional<StoreConnection::Rows> run(const StoreQuery& query, StoreQuery::Way way);

    StoreConnection m_connection;
    QSet<QByteArray> m_prepared;
    StoreQuery::Way m_lastWay = StoreQuery::Way::Newest;
};
