#include "store/ArchiveOutbox.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "archive/ArchiveName.h"
#include "archive/ArchiveScan.h"
#include "archive/FormPath.h"
#include "store/SentLedger.h"

namespace ArchiveOutbox {
namespace {

const QString kRecords = QStringLiteral(".exchanges");
// Forms outside any month folder: a month still has to be named for the ledger.
const QString kNoMonth = QStringLiteral("other");

QString monthOf(const QString& path) {
    const QList<QStringView> parts = QStringView(path).split(u'/');
    for (qsizetype i = parts.size() - 2; i >= 0; --i)
        if (ArchiveName::isMonthFolder(parts[i])) return parts[i].toString();
    return kNoMonth;
}

void addRecords(const QString& root, const QSet<QString>& sent, std::vector<Item>& items) {
    const QDir records(QDir(root).filePath(kRecords));
    for (const QString& month : records.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!ArchiveName::isMonthFolder(month)) continue;
        for (const QString& name :
             QDir(records.filePath(month)).entryList({"*.json"}, QDir::Files)) {
            QString path = kRecords + u'/' + month + u'/' + name;
            if (!sent.contains(path)) items.push_back({Item::Kind::Record, std::move(path), month});
        }
    }
}

// A record's file name begins with its start in UTC, "20261209T140312123Z".
qint64 recordTime(const QString& path) {
    const QString name = path.sliced(path.lastIndexOf(u'/') + 1).left(19);
    QDateTime time = QDateTime::fromString(name, QStringLiteral("yyyyMMdd'T'HHmmsszzz'Z'"));
    time.setTimeSpec(Qt::UTC);
    return time.isValid() ? time.toMSecsSinceEpoch() : 0;
}

qint64 formTime(const QString& root, const QString& path) {
    if (const auto named = FormPath::timeInName(path)) return named->toMSecsSinceEpoch();
    return QFileInfo(QDir(root).filePath(path)).lastModified().toMSecsSinceEpoch();
}

}  // namespace

std::vector<Item> unsent(const QString& root, const QSet<QString>& sent,
                         const std::atomic<bool>* stop) {
    std::vector<Item> items;
    const ArchiveScan::Listing listing = ArchiveScan::scan(root, {}, stop);
    for (const ArchiveScan::File& file : listing.files)
        if (!sent.contains(file.path))
            items.push_back({Item::Kind::Form, file.path, monthOf(file.path)});
    addRecords(root, sent, items);
    return items;
}

std::vector<Item> ordered(const QString& root, std::vector<Item> items) {
    for (Item& item : items)
        item.timeMs =
            item.kind == Item::Kind::Form ? formTime(root, item.path) : recordTime(item.path);
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.timeMs != b.timeMs ? a.timeMs < b.timeMs : a.path < b.path;
    });
    return items;
}

Backlog backlog(const QString& root) {
    const QString storeId = SentLedger::lastStoreId(root);
    const QSet<QString> sent =
        storeId.isEmpty() ? QSet<QString>() : SentLedger(root, storeId).sent();
    Backlog count;
    for (const Item& item : unsent(root, sent))
        ++(item.kind == Item::Kind::Form ? count.forms : count.records);
    return count;
}

}  // namespace ArchiveOutbox
