#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

#include "archive/ExchangeRecord.h"
#include "sites/Site.h"
#include "sites/SiteLastExchange.h"

// How far a site got in a month's round: the operator sees at a glance which to read still.
enum class RoundState { Collected, Failed, NotTried };

// One line of the month's round.
struct MonthRoundRow {
    enum class Kind {
        Book,         // a site of the book
        RecordsOnly,  // named by the month's records, gone from the book (or never in it)
        NoSite        // the exchanges that named no site, all together
    };
    Kind kind = Kind::Book;
    QString site;  // empty for NoSite
    QString type;  // the calculator type's name
    QString port;
    RoundState state = RoundState::NotTried;
    QDateTime lastCollected;  // UTC start; invalid when none in the months searched
    int forms = 0;            // forms archived by the month's exchanges
    std::optional<RecordOutcome> lastOutcome;
    QDateTime lastAttempt;  // UTC start of the month's last exchange
};

namespace MonthRound {

// The rows of a month: every site of `book` in its order, then the sites only `month`'s records
// name (by name), then "no site" when an exchange of the month named none. `last` holds each
// site's last exchanges over the month and the months before it (SiteHistory), for its last
// collection.
QList<MonthRoundRow> rows(const QList<Site>& book, const QList<ExchangeRecord>& month,
                          const SiteLastExchanges& last);

}  // namespace MonthRound
