#include "sites/MonthRoundRows.h"

#include <QMap>

#include "res/Texts.h"
#include "settings/ExchangeChoice.h"
#include "sites/SiteListenKeys.h"

namespace {

QString typeName(int device) {
    const QString name = exchangeDeviceName(device);
    return name.isEmpty() ? QString::number(device) : name;
}

// Folds the month's records of one site into its row; the last record (by start) gives the
// outcome and, for a site the book does not describe, the port and type.
void addRecords(MonthRoundRow& row, const QList<const ExchangeRecord*>& records) {
    for (const ExchangeRecord* r : records) {
        row.forms += static_cast<int>(r->forms.size());
        if (r->succeeded()) row.state = RoundState::Collected;
        if (!row.lastAttempt.isValid() || r->start >= row.lastAttempt) {
            row.lastAttempt = r->start;
            row.lastOutcome = r->outcome;
            if (row.kind != MonthRoundRow::Kind::Book) {
                row.port = r->port;
                row.type = r->device;
            }
        }
    }
    if (!records.isEmpty() && row.state != RoundState::Collected) row.state = RoundState::Failed;
}

MonthRoundRow makeRow(MonthRoundRow::Kind kind, const QString& site = {}, const QString& type = {},
                      const QString& port = {}) {
    MonthRoundRow row;
    row.kind = kind;
    row.site = site;
    row.type = type;
    row.port = port;
    return row;
}

}  // namespace

namespace MonthRound {

QList<MonthRoundRow> rows(const QList<Site>& book, const QList<ExchangeRecord>& month,
                          const SiteLastExchanges& last) {
    QHash<QString, QList<const ExchangeRecord*>> bySite;
    for (const ExchangeRecord& r : month) bySite[r.site].append(&r);

    QList<MonthRoundRow> result;
    const auto add = [&](MonthRoundRow row) {
        addRecords(row, bySite.take(row.site));
        row.lastCollected = last.value(row.site).lastSuccess;
        result.append(row);
    };
    for (const Site& site : book) {
        // A name written twice in the book is one site: its records count once.
        if (std::any_of(result.cbegin(), result.cend(),
                        [&](const MonthRoundRow& r) { return r.site == site.name; }))
            continue;
        // A site whose modem calls in is shown by what the service knows it by.
        const QString port =
            site.port.isEmpty() && site.callsIn()
                ? texts::siteCallsIn(site.address.isEmpty() ? SiteListenKeys::bytesLine(site.hello)
                                                            : site.address)
                : site.port;
        add(makeRow(MonthRoundRow::Kind::Book, site.name, typeName(site.device), port));
    }
    const QList<const ExchangeRecord*> noSite = bySite.take(QString());
    QStringList others = bySite.keys();
    others.sort(Qt::CaseInsensitive);
    for (const QString& name : others) add(makeRow(MonthRoundRow::Kind::RecordsOnly, name));
    if (!noSite.isEmpty()) {
        bySite.insert(QString(), noSite);
        add(makeRow(MonthRoundRow::Kind::NoSite));
    }
    return result;
}

}  // namespace MonthRound
