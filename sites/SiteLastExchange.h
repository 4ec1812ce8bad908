#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <optional>

#include "archive/ExchangeRecord.h"

// What the archive's exchange records tell of a site's past: when its forms were last collected
// and how its last exchange ended. The picker of "Связь с объектом" and the window "Сбор за месяц"
// both read it through this fold (and SiteHistory, which feeds it), so they agree on every site.
// An exchange counts by its start: its record is filed in the month of its start, and the round
// of a month is the exchanges begun in it, so an exchange that runs over the midnight that ends a
// month belongs to one month only, the one both windows look in.
struct SiteLastExchange {
    QDateTime lastSuccess;  // UTC start of the latest successful exchange; invalid: none found
    QDateTime lastStart;    // UTC start of the latest exchange, whose end `lastOutcome` tells
    std::optional<RecordOutcome> lastOutcome;
};

// By site name; the empty name holds the exchanges without a site.
using SiteLastExchanges = QHash<QString, SiteLastExchange>;

// Folds one record into `last`, in any order: the latest exchange of a site (by start) gives its
// outcome, the latest successful one its last collection.
void noteSiteExchange(SiteLastExchanges& last, const ExchangeRecord& record);
// Folds what `other` holds (the fold of other records) into `last`.
void noteSiteExchanges(SiteLastExchanges& last, const SiteLastExchanges& other);
