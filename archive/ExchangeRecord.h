#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "archive/ArchiveWriter.h"
#include "archive/RecordOutcome.h"

// What one exchange left: the truth about what was collected, kept in the archive beside the
// forms (see ExchangeRecords).
struct ExchangeRecord {
    QString site;          // empty for an exchange without a site
    QString port, device;  // "COM3" / a path / tcp://…; the type's name "КСМ-Р"
    int speed = 0;
    QDateTime start, end;  // kept in UTC; the JSON holds UTC and local time both
    RecordOutcome outcome = RecordOutcome::NothingReceived;
    struct Form {
        QString file;  // relative to the archive root
        qint64 size = 0;
        bool operator==(const Form&) const = default;
    };
    QList<Form> forms;
    qint64 bytes = 0;  // bytes received from the line
    // The tries of one collection that failed on the line and was tried again share a record;
    // a record without the field is one try.
    int tries = 1;
    bool succeeded() const { return outcome == RecordOutcome::FormsReceived; }

    QByteArray toJson() const;
    // Nothing when `json` is no record this program could have written.
    static std::optional<ExchangeRecord> fromJson(const QByteArray& json);
};

// The records of an archive: one small JSON file per exchange in a hidden folder per month
// (the month of the exchange's start in local time).
namespace ExchangeRecords {
QString monthFolder(const QString& archiveRoot, const QDate& month);  // <root>/.exchanges/YYYY-MM
// Never over another record: a window and collectors may end exchanges in the same millisecond.
// `error` tells where and why it failed; `path` the file written.
bool write(const QString& archiveRoot, const ExchangeRecord& record, QString* error,
           QString* path = nullptr);
// The most a record may weigh to be read. A record is half a kilobyte and under two hundred bytes
// more per form it names, so this holds thousands of forms, far past any calculator's report,
// while a file that is no record costs at most this much to find out.
inline constexpr qint64 kMaxRecordBytes = qint64(1) << 20;
// Every readable record of the month, by start time. Only regular files of at most
// kMaxRecordBytes are read, without waiting on a pipe or a device; anything else named *.json
// there (a folder, a pipe, a link to a device, a damaged or oversized file) is skipped and counted
// in `unreadable`. Once `stopped` says so, reading ends early with what was read so far.
QList<ExchangeRecord> readMonth(const QString& archiveRoot, const QDate& month,
                                int* unreadable = nullptr,
                                const std::function<bool()>& stopped = {});
// The archive's files as the record names them: relative to its root.
QList<ExchangeRecord::Form> formsOf(const QString& archiveRoot,
                                    const std::vector<ArchiveWriter::Entry>& entries);
}  // namespace ExchangeRecords
