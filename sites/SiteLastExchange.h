#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

// What the picker shows of a site's past: when its forms last came whole, and how its last
// exchange ended, in the words the operator was told.
struct SiteLastExchange {
    QDateTime lastSuccess;  // invalid: never
    QString lastOutcome;
};

// By site name. Filled from the exchange records of the archive; the picker shows empty
// columns for a site that has none.
using SiteLastExchanges = QHash<QString, SiteLastExchange>;
