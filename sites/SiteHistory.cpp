#include "sites/SiteHistory.h"

namespace {

SiteLastExchanges foldOf(const QList<ExchangeRecord>& records) {
    SiteLastExchanges last;
    for (const ExchangeRecord& r : records) noteSiteExchange(last, r);
    return last;
}

}  // namespace

SiteHistory::SiteHistory(QString archiveRoot) : m_root(std::move(archiveRoot)) {}

SiteLastExchanges SiteHistory::lastExchanges(const QDate& month,
                                             const QList<ExchangeRecord>& monthRecords,
                                             QSet<QString> wanted,
                                             const std::function<bool()>& stopped) {
    SiteLastExchanges last = foldOf(monthRecords);
    const QDate first(month.year(), month.month(), 1);
    for (int back = 1; back <= kMonthsBack; ++back) {
        // The months before cannot change the outcome or collection of a site that has a success
        // already: whatever they hold started earlier.
        wanted.removeIf(
            [&last](const QString& site) { return last.value(site).lastSuccess.isValid(); });
        if (wanted.isEmpty() || (stopped && stopped())) break;
        noteSiteExchanges(last, earlier(first.addMonths(-back), stopped));
    }
    return last;
}

SiteLastExchanges SiteHistory::lastExchanges(const QDate& month, const QSet<QString>& wanted,
                                             const std::function<bool()>& stopped) {
    return lastExchanges(month, ExchangeRecords::readMonth(m_root, month, nullptr, stopped), wanted,
                         stopped);
}

SiteLastExchanges SiteHistory::earlier(const QDate& month, const std::function<bool()>& stopped) {
    if (const auto it = m_earlier.constFind(month); it != m_earlier.cend()) return *it;
    const SiteLastExchanges last =
        foldOf(ExchangeRecords::readMonth(m_root, month, nullptr, stopped));
    // A month read only in part is no month to keep.
    if (!stopped || !stopped()) m_earlier.insert(month, last);
    return last;
}
