#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>

#include "archive/ExchangeRecord.h"
#include "sites/SiteLastExchange.h"

// The sites' last exchanges as the archive's records tell them, read the one way both windows
// show them: a month and the months before it, newest first, until every site asked about has a
// success or a year is searched. Months before the one asked about no longer change, so what they
// say is kept. One reading at a time: its owner runs it on a worker, never two at once.
class SiteHistory {
public:
    explicit SiteHistory(QString archiveRoot);

    // How many months before the one shown are searched for a site's last collection: a year, so
    // that a site read once a season still shows when that was, while a site never collected
    // costs at most thirteen months of records.
    static constexpr int kMonthsBack = 12;

    // The fold of `monthRecords` (`month`'s, as the caller read them) and of as many of the
    // kMonthsBack months before `month` as it takes to find a success of every site of `wanted`.
    // Once `stopped` says so, it ends early with what it has.
    SiteLastExchanges lastExchanges(const QDate& month, const QList<ExchangeRecord>& monthRecords,
                                    QSet<QString> wanted,
                                    const std::function<bool()>& stopped = {});
    // The same, reading `month`'s records too.
    SiteLastExchanges lastExchanges(const QDate& month, const QSet<QString>& wanted,
                                    const std::function<bool()>& stopped = {});

private:
    SiteLastExchanges earlier(const QDate& month, const std::function<bool()>& stopped);

    QString m_root;
    QHash<QDate, SiteLastExchanges> m_earlier;
};
