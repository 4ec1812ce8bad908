#include "sites/SiteLastExchange.h"

namespace {

void note(SiteLastExchange& entry, const SiteLastExchange& other) {
    if (other.lastStart.isValid() &&
        (!entry.lastStart.isValid() || other.lastStart > entry.lastStart)) {
        entry.lastStart = other.lastStart;
        entry.lastOutcome = other.lastOutcome;
    }
    if (other.lastSuccess.isValid() &&
        (!entry.lastSuccess.isValid() || other.lastSuccess > entry.lastSuccess))
        entry.lastSuccess = other.lastSuccess;
}

}  // namespace

void noteSiteExchange(SiteLastExchanges& last, const ExchangeRecord& record) {
    const QDateTime start = record.start.toUTC();
    note(last[record.site], {record.succeeded() ? start : QDateTime(), start, record.outcome});
}

void noteSiteExchanges(SiteLastExchanges& last, const SiteLastExchanges& other) {
    for (auto it = other.cbegin(); it != other.cend(); ++it) note(last[it.key()], it.value());
}
