#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <functional>

// What the picker shows of a site's past: when its forms last came, and how its last exchange
// ended, in the words the operator was told.
struct SiteLastExchange {
    QDateTime lastSuccess;  // invalid: never
    QDateTime lastEnd;      // of the exchange `lastOutcome` tells
    QString lastOutcome;
};

// By site name; a site without any exchange has no entry.
using SiteLastExchanges = QHash<QString, SiteLastExchange>;

// Folds one exchange of the archive's records into `last`, in any order: the latest exchange of
// a site gives its outcome, the latest successful one its time. Exchanges without a site are
// left out.
void noteSiteExchange(SiteLastExchanges& last, const QString& site, const QDateTime& end,
                      bool succeeded, const QString& outcome);

// The last exchange of each site, from the archive's exchange records of `thisMonth` and the
// month before, folded by end time; an empty or partial answer once `stopped` says so.
SiteLastExchanges readSiteLastExchanges(const QString& archiveRoot, const QDate& thisMonth,
                                        const std::function<bool()>& stopped = {});
