#include "store/StoreSearch.h"

#include <QRegularExpression>

#include "store/StoreSchema.h"

namespace {

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

}  // namespace

StoreSearch::StoreSearch(StoreAddress address, int timeoutMs)
    : m_connection(std::move(address), timeoutMs) {}

bool StoreSearch::ready() {
    if (m_connection.isOpen()) return true;
    m_connection.close();
    m_prepared.clear();
    // A store made by an older program gets the search's index first, where the role may.
    QString storeId;
    return m_connection.open() && StoreSchema::migrate(m_connection, &storeId);
}

// The conditions in the order of the values: the long terms, then the short ones. The folded
// text as the index holds it, so that the trigram index serves each LIKE; the short terms with
// ICU's idea of a letter, whatever locale the database was made with.
QByteArray StoreSearch::statementFor(int longTerms, int shortTerms) {
    const QByteArray name = "form_search_" + QByteArray::number(longTerms) + '_' +
                            QByteArray::number(shortTerms);
    if (m_prepared.contains(name)) return name;
    QByteArray sql =
        "SELECT f.site, f.port, f.device, (extract(epoch FROM f.received) * 1000)::bigint,"
        " f.file_name, f.size, f.body, m.host_name FROM forms f JOIN machines m ON"
        " m.id = f.machine WHERE true";
    int parameter = 0;
    for (int i = 0; i < longTerms; ++i)
        sql += " AND tabulon_fold(f.body) LIKE $" + QByteArray::number(++parameter);
    for (int i = 0; i < shortTerms; ++i)
        sql += " AND tabulon_fold(f.body) COLLATE \"und-x-icu\" ~ $" +
               QByteArray::number(++parameter);
    sql += " ORDER BY f.received DESC, f.id DESC LIMIT " + QByteArray::number(kFirst);
    if (!m_connection.prepare(name.constData(), sql.constData(), "forms")) return {};
    m_prepared.insert(name);
    return name;
}

std::optional<std::vector<StoreForm>> StoreSearch::find(const QStringList& terms) {
    if (!ready()) return std::nullopt;
    StoreConnection::Values values;
    int longTerms = 0;
    for (const QString& term : terms)
        if (term.size() >= kSubstring) ++longTerms, values.push_back(likePattern(term));
    for (const QString& term : terms)
        if (term.size() < kSubstring) values.push_back(wordStartPattern(term));
    const QByteArray name = statementFor(longTerms, int(terms.size()) - longTerms);
    if (name.isEmpty()) return std::nullopt;
    const auto rows = m_connection.execute(name.constData(), values);
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
