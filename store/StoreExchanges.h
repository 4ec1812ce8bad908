#pragma once

#include <QDate>
#include <QList>
#include <optional>

#include "archive/ExchangeRecord.h"

class StoreConnection;

// The exchange records of every machine as the common archive holds them.
namespace StoreExchanges {

// The records whose exchange started in `month` (UTC), each whole as its machine wrote it;
// nothing when the store could not be read (the connection tells why). A stored record that no
// longer reads is counted in `unreadable`.
std::optional<QList<ExchangeRecord>> readMonth(StoreConnection& connection, const QDate& month,
                                               int* unreadable = nullptr);

}  // namespace StoreExchanges
