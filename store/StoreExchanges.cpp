#include "store/StoreExchanges.h"

#include "store/StoreConnection.h"

namespace StoreExchanges {

std::optional<QList<ExchangeRecord>> readMonth(StoreConnection& connection, const QDate& month,
                                               int* unreadable) {
    const QDate first(month.year(), month.month(), 1);
    const auto bound = [](const QDate& day) {
        return QDateTime(day, QTime(0, 0), Qt::UTC).toString(Qt::ISODate).toUtf8();
    };
    const auto rows = connection.run(
        "SELECT record FROM exchanges WHERE started >= $1 AND started < $2 ORDER BY started",
        {bound(first), bound(first.addMonths(1))}, "exchanges");
    if (!rows) return std::nullopt;
    QList<ExchangeRecord> records;
    for (int i = 0; i < rows->count(); ++i) {
        const auto record = ExchangeRecord::fromJson(rows->text(i, 0).toUtf8());
        if (record)
            records.append(*record);
        else if (unreadable)
            ++*unreadable;
    }
    return records;
}

}  // namespace StoreExchanges
