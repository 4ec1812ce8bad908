#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

#include "store/StoreConnection.h"

// A search of the common archive made into its statements, by the local index's rules: a form
// holds every term; a term of kSubstring characters or more anywhere in its folded text, a
// shorter one only at the start of a word; a number also through the pieces of its runs of
// digits, which the store indexes as the local index does, and a date through its own pieces. Narrowed to a site and a month as
// the tree of "Архив форм" narrows the list.
//
// Two ways to the newest hits, as no plan serves both: the newest forms read one after another
// until enough hold the terms (a term in most forms: a few hundred read), or the forms the
// indexes name sorted by time (a rare term: each form named is read, however old). A search
// tries the first on the newest kNewest forms and takes the second only when they hold too few.
class StoreQuery {
public:
    static constexpr int kFirst = 100;
    static constexpr int kSubstring = 3;
    static constexpr int kNewest = 2000;
    static constexpr int kNumberMin = 4;
    static constexpr int kNumberMax = 12;

    // Which forms: a site's ("" for those without one) and those received in a month of this
    // machine's time (its first day), each unset for all.
    struct Scope {
        std::optional<QString> site;
        std::optional<QDate> month;
    };
    enum class Way { Newest, Indexed };

    // `terms` folded as the local index folds them (lower case, ё as е), none blank.
    StoreQuery(const QStringList& terms, const Scope& scope);

    // The prepared statement's name: one for each shape of search and way.
    QByteArray name(Way way) const;
    QByteArray sql(Way way) const;
    StoreConnection::Values values(Way way) const;

private:
    QByteArray termConditions(int& parameter, bool indexed) const;
    QByteArray indexed(int& parameter) const;
    QByteArray scopeConditions(int& parameter) const;

    QList<QByteArray> m_long;   // LIKE patterns
    QList<QByteArray> m_short;  // regular expressions
    QByteArray m_numbers;       // the pieces every form found holds, as an array; empty for none
    QByteArray m_dates;         // likewise the pieces of its dates
    Scope m_scope;
};
