#include "index/FormListing.h"

#include <QDateTime>

#include "index/SqlStatement.h"

namespace {

QByteArray scopeWhere(bool bySite, bool byMonth) {
    QByteArray where;
    if (bySite) where += " AND f.site = :site";
    if (byMonth) where += " AND f.month = :month";
    return where;
}

}  // namespace

QByteArray formListingSql(FormListingKind listing, bool bySite, bool byMonth) {
    QByteArray sql =
        "SELECT f.id, f.path, f.size, f.mtime, f.site, f.month, f.received, f.port, f.type, "
        "f.first_line, f.error";
    switch (listing) {
        case FormListingKind::Browse:
            sql +=
                " FROM forms f WHERE (f.received < :received OR "
                "(f.received = :received AND f.id < :id))" +
                scopeWhere(bySite, byMonth) + " ORDER BY f.received DESC, f.id DESC";
            break;
        case FormListingKind::ByTrigrams:
            sql +=
                ", t.body FROM grams JOIN forms f ON f.id = grams.rowid JOIN texts t ON "
                "t.id = f.id WHERE grams MATCH :match AND grams.rowid < :id" +
                scopeWhere(bySite, byMonth) + " ORDER BY grams.rowid DESC";
            break;
        case FormListingKind::EveryText:
            sql += ", t.body FROM forms f JOIN texts t ON t.id = f.id WHERE f.id < :id" +
                   scopeWhere(bySite, byMonth) + " ORDER BY f.id DESC";
            break;
    }
    return sql;
}

QByteArray formCountSql(bool bySite, bool byMonth) {
    return "SELECT count(*) FROM forms f WHERE 1" + scopeWhere(bySite, byMonth);
}

FormRecord formOfRow(const SqlStatement& s) {
    FormRecord r;
    r.id = s.integer(0);
    r.path = s.text(1);
    r.size = s.integer(2);
    r.mtime = s.integer(3);
    r.site = s.text(4);
    r.month = s.text(5);
    r.received = QDateTime::fromMSecsSinceEpoch(s.integer(6));
    r.port = s.text(7);
    r.type = s.text(8);
    r.firstLine = s.text(9);
    r.error = s.text(10);
    return r;
}
