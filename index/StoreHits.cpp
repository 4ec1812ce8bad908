#include "index/StoreHits.h"

#include "archive/ArchiveName.h"
#include "files/TextFileCodec.h"
#include "index/SearchText.h"
#include "store/StoreSearch.h"

namespace StoreHits {
namespace {

FormQuery::Row rowOf(const StoreForm& form, const std::vector<QByteArray>& terms) {
    FormQuery::Row row;
    FormRecord& r = row.form;
    r.path = form.fileName;
    r.size = form.size;
    r.site = form.site;
    r.month = form.received.toString(QStringLiteral("yyyy-MM"));
    r.received = form.received;
    r.port = form.port;
    r.type = form.device;
    r.firstLine = ArchiveName::firstLine(form.text.left(2048));
    const QByteArray body = TextFileCodec::encode(form.text);
    row.excerpt = SearchText::excerpt(body, SearchText::fold(body), terms);
    return row;
}

// The tree's month ("2026-12") is the month folder the form was archived in, that is the month
// it was received in by this machine's clock.
StoreQuery::Scope storeScope(const FormQuery::Scope& scope) {
    StoreQuery::Scope s;
    s.site = scope.site;
    if (scope.month) s.month = QDate::fromString(*scope.month, QStringLiteral("yyyy-MM"));
    return s;
}

}  // namespace

std::optional<std::vector<Hit>> find(StoreSearch& search, const QString& query,
                                     const FormQuery::Scope& scope) {
    const auto terms = SearchText::terms(query);
    if (!terms) return std::vector<Hit>{};
    QStringList unicode;
    for (const QByteArray& term : *terms) unicode += TextFileCodec::decode(term);
    const auto forms = search.find(unicode, storeScope(scope));
    if (!forms) return std::nullopt;
    std::vector<Hit> hits;
    hits.reserve(forms->size());
    for (const StoreForm& form : *forms) hits.push_back({rowOf(form, *terms), form});
    return hits;
}

}  // namespace StoreHits
