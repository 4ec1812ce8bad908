#pragma once

#include <QSet>
#include <QStringList>
#include <optional>
#include <vector>

#include "store/StoreConnection.h"
#include "store/StoreForm.h"

// The search of "Архив форм" over every machine's forms in the common archive, finding what the
// local index finds: a form holds every term; a term of kSubstring characters or more anywhere
// in it (through the trigrams of the text), a shorter one only at the start of a word. The
// newest received come first, the first kFirst of them. Its own connection, opened when first
// needed and again after it broke; one statement prepared for each mix of long and short terms.
class StoreSearch {
public:
    static constexpr int kFirst = 100;
    static constexpr int kSubstring = 3;

    StoreSearch(StoreAddress address, int timeoutMs);

    // `terms` folded as the local index folds them (lower case, ё as е), none blank. Nothing
    // when the store could not be searched; failure() tells why.
    std::optional<std::vector<StoreForm>> find(const QStringList& terms);
    QString failure() const { return m_connection.message(); }

private:
    bool ready();
    QByteArray statementFor(int longTerms, int shortTerms);

    StoreConnection m_connection;
    QSet<QByteArray> m_prepared;
};
