#include "sites/SiteLastExchange.h"

#include "archive/ExchangeRecord.h"
#include "archive/RecordOutcome.h"

void noteSiteExchange(SiteLastExchanges& last, const QString& site, const QDateTime& end,
                      bool succeeded, const QString& outcome) {
    if (site.isEmpty()) return;
    SiteLastExchange& entry = last[site];
    if (!entry.lastEnd.isValid() || end > entry.lastEnd) {
        entry.lastEnd = end;
        entry.lastOutcome = outcome;
    }
    if (succeeded && (!entry.lastSuccess.isValid() || end > entry.lastSuccess))
        entry.lastSuccess = end;
}

SiteLastExchanges readSiteLastExchanges(const QString& archiveRoot, const QDate& thisMonth,
                                        const std::function<bool()>& stopped) {
    SiteLastExchanges last;
    for (const QDate& month : {thisMonth.addMonths(-1), thisMonth}) {
        for (const ExchangeRecord& r :
             ExchangeRecords::readMonth(archiveRoot, month, nullptr, stopped))
            noteSiteExchange(last, r.site, r.end.toLocalTime(), r.succeeded(),
                             recordOutcomeText(r.outcome));
    }
    return last;
}
