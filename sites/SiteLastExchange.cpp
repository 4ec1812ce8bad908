#include "sites/SiteLastExchange.h"

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
