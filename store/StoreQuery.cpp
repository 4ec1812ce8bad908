#include "store/StoreQuery.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>

namespace {

constexpr const char* kColumns =
    "SELECT f.site, f.port, f.device, (extract(epoch FROM f.received) * 1000)::bigint,"
    " f.file_name, f.size, f.body, m.host_name";
constexpr const char* kNewestFirst = " ORDER BY f.received DESC, f.id DESC";

// A long term as a LIKE pattern: anywhere, its own % _ and \ taken as they are.
QByteArray likePattern(const QString& term) {
    static const QRegularExpression special(QStringLiteral(R"([\\%_])"));
    QString escaped = term;
    escaped.replace(special, QStringLiteral(R"(\\\0)"));
    return ('%' + escaped + '%').toUtf8();
}

// A short term as a regular expression: at the text's start or after a character that is no
// letter or digit. Every other character is escaped, as a backslash before one means itself.
QByteArray wordStartPattern(const QString& term) {
    QString escaped;
    for (QChar c : term) {
        if (!c.isLetterOrNumber()) escaped += u'\\';
        escaped += c;
    }
    return ("(^|[^[:alnum:]])" + escaped).toUtf8();
}

// The runs of digits of a term, each cut to the longest piece the store indexes: a form holding
// the term holds each of them among the pieces of its own runs.
void addNumberPieces(const QString& term, QSet<QString>& pieces) {
    static const QRegularExpression run(QStringLiteral("[0-9]{%1,}").arg(StoreQuery::kNumberMin));
    for (const QRegularExpressionMatch& m : run.globalMatch(term))
        pieces.insert(m.captured().left(StoreQuery::kNumberMax));
}

// A date's pieces as the store indexes them: every three groups in a row, the first cut to its
// last digits and the third to its first, as the term may begin and end inside a group.
void addDatePieces(const QString& run, QSet<QString>& pieces) {
    static const QRegularExpression separator(QStringLiteral("[.,:/-]"));
    const QStringList groups = run.split(separator);
    QString separators;
    for (QChar c : run)
        if (!c.isDigit()) separators += c;
    for (qsizetype i = 0; i + 2 < groups.size(); ++i)
        pieces.insert(groups[i].right(StoreQuery::kNumberMin) + separators[i] + groups[i + 1] +
                      separators[i + 1] + groups[i + 2].left(StoreQuery::kNumberMin));
}

// A term's dates, times and the like (three groups of digits or more, joined by . , : / or -)
// found by their own pieces; its other numbers by theirs. The digits of a date are left out of
// the numbers: a year is in most forms, and its pieces would only slow the search down.
void addPieces(const QString& term, QSet<QString>& numbers, QSet<QString>& dates) {
    static const QRegularExpression date(QStringLiteral("[0-9]+(?:[.,:/-][0-9]+){2,}"));
    QString rest = term;
    for (const QRegularExpressionMatch& m : date.globalMatch(term)) {
        addDatePieces(m.captured(), dates);
        rest.replace(m.capturedStart(), m.capturedLength(), QString(m.capturedLength(), u' '));
    }
    addNumberPieces(rest, numbers);
}

// The pieces as an array's text, in one order whatever the terms' order; each quoted, as a
// date's comma would part it (a piece holds no quote or backslash).
QByteArray arrayText(const QSet<QString>& pieces) {
    if (pieces.isEmpty()) return {};
    QStringList sorted(pieces.begin(), pieces.end());
    sorted.sort();
    return ("{\"" + sorted.join(QStringLiteral("\",\"")) + "\"}").toUtf8();
}

QByteArray placeholder(int& parameter) {
    return '$' + QByteArray::number(++parameter);
}

// A time as the store compares it: with its offset from UTC.
QByteArray timeText(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate).toUtf8();
}

}  // namespace

StoreQuery::StoreQuery(const QStringList& terms, const Scope& scope) : m_scope(scope) {
    QSet<QString> numbers;
    QSet<QString> dates;
    for (const QString& term : terms) {
        if (term.size() < kSubstring) {
            m_short += wordStartPattern(term);
            continue;
        }
        m_long += likePattern(term);
        addPieces(term, numbers, dates);
    }
    m_numbers = arrayText(numbers);
    m_dates = arrayText(dates);
}

QByteArray StoreQuery::name(Way way) const {
    return QByteArray(way == Way::Newest ? "form_newest_" : "form_indexed_") +
           QByteArray::number(m_long.size()) + '_' + QByteArray::number(m_short.size()) +
           (m_numbers.isEmpty() ? "" : "_n") + (m_dates.isEmpty() ? "" : "_d") + (m_scope.site ? "_s" : "") +
           (m_scope.month ? "_m" : "");
}

// The values in the order of the conditions: the long terms, the short ones, the numbers and the
// dates (the indexes' way only: in the other the terms' own conditions say as much), the site,
// the month.
QByteArray StoreQuery::termConditions(int& parameter, bool indexed) const {
    QByteArray sql;
    // In another collation than the trigram index's, a LIKE is only checked, never searched.
    const QByteArray folded = indexed ? "f.folded" : "f.folded COLLATE \"und-x-icu\"";
    for (qsizetype i = 0; i < m_long.size(); ++i)
        sql += " AND " + folded + " LIKE " + placeholder(parameter);
    // ICU's idea of a letter, whatever locale the database was made with.
    for (qsizetype i = 0; i < m_short.size(); ++i)
        sql += " AND f.folded COLLATE \"und-x-icu\" ~ " + placeholder(parameter);
    return sql;
}

// The forms the indexes name. A number's or a date's pieces name few forms, and are asked alone:
// given the trigrams too, the planner reads their long lists and the forms they name, which a
// number's digits put in most forms of figures.
QByteArray StoreQuery::indexed(int& parameter) const {
    const bool pieces = !m_numbers.isEmpty() || !m_dates.isEmpty();
    const QByteArray terms = termConditions(parameter, !pieces);
    if (!pieces)
        return "SELECT f.id, f.received FROM forms f WHERE true" + terms +
               scopeConditions(parameter);
    QByteArray named;
    if (!m_numbers.isEmpty())
        named += " AND tabulon_numbers(f.body) @> " + placeholder(parameter) + "::text[]";
    if (!m_dates.isEmpty())
        named += " AND tabulon_dates(f.body) @> " + placeholder(parameter) + "::text[]";
    return "SELECT f.id, f.received FROM (SELECT f.id FROM forms f WHERE true" + named +
           scopeConditions(parameter) + " OFFSET 0) c JOIN forms f ON f.id = c.id WHERE true" +
           terms;
}

QByteArray StoreQuery::scopeConditions(int& parameter) const {
    QByteArray sql;
    if (m_scope.site) sql += " AND f.site = " + placeholder(parameter);
    if (m_scope.month) {
        sql += " AND f.received >= " + placeholder(parameter);
        sql += " AND f.received < " + placeholder(parameter);
    }
    return sql;
}

// The newest forms of the scope through the index on the time received, the terms looked for
// in each; or the forms the indexes name, taken whole (MATERIALIZED keeps the planner from
// walking the time's index instead, which it would for a term it guesses common), and only the
// newest of them read again for their text.
QByteArray StoreQuery::sql(Way way) const {
    int parameter = 0;
    if (way == Way::Newest) {
        const QByteArray terms = termConditions(parameter, true);
        return kColumns + QByteArray(" FROM (SELECT * FROM forms f WHERE true") +
               scopeConditions(parameter) + kNewestFirst + " LIMIT " +
               QByteArray::number(kNewest) + ") f JOIN machines m ON m.id = f.machine WHERE true" +
               terms + kNewestFirst + " LIMIT " + QByteArray::number(kFirst);
    }
    return "WITH found AS MATERIALIZED (" + indexed(parameter) + ") " + kColumns +
           " FROM (SELECT id FROM found ORDER BY received DESC, id DESC LIMIT " +
           QByteArray::number(kFirst) +
           ") h JOIN forms f ON f.id = h.id JOIN machines m ON m.id = f.machine" + kNewestFirst;
}

StoreConnection::Values StoreQuery::values(Way way) const {
    StoreConnection::Values values;
    for (const QByteArray& pattern : m_long) values.push_back(pattern);
    for (const QByteArray& pattern : m_short) values.push_back(pattern);
    if (way == Way::Indexed && !m_numbers.isEmpty()) values.push_back(m_numbers);
    if (way == Way::Indexed && !m_dates.isEmpty()) values.push_back(m_dates);
    if (m_scope.site) values.push_back(m_scope.site->toUtf8());
    if (m_scope.month) {
        const QDateTime first(QDate(m_scope.month->year(), m_scope.month->month(), 1), QTime(0, 0));
        values.push_back(timeText(first));
        values.push_back(timeText(first.addMonths(1)));
    }
    return values;
}
