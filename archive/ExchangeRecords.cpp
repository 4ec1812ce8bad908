#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <atomic>

#include "archive/ArchiveName.h"
#include "archive/ExchangeRecord.h"
#include "files/RegularFile.h"
#include "files/SafeFile.h"
#include "files/SystemPath.h"
#include "platform/SharedFolders.h"

namespace {

const QString kFolder = QStringLiteral(".exchanges");
const QString kSuffix = QStringLiteral(".json");

// Any site or port as a piece of a file name on every system: "tcp://host:4001" and "/dev/ttyS0"
// hold separators, a site's name may hold anything.
QString namePiece(const QString& text) {
    static const QRegularExpression unsafe(QStringLiteral(R"([\\/:*?"<>|\s.]+)"));
    QString piece = text;
    piece.replace(unsafe, QStringLiteral("-"));
    piece = piece.left(40);
    while (piece.startsWith(u'-')) piece.remove(0, 1);
    while (piece.endsWith(u'-')) piece.chop(1);
    return piece.isEmpty() ? QStringLiteral("line") : piece;
}

// The start to the millisecond, the line's or site's name, and what tells apart the exchanges of
// one process (and of one whose id came back) that ended within it.
QString fileName(const ExchangeRecord& record, int counter) {
    return record.start.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz'Z'")) + u'_' +
           namePiece(record.site.isEmpty() ? record.port : record.site) + u'_' +
           QString::number(QCoreApplication::applicationPid()) + u'_' + QString::number(counter) +
           kSuffix;
}

std::atomic<int> g_counter{0};

}  // namespace

namespace ExchangeRecords {

QString monthFolder(const QString& archiveRoot, const QDate& month) {
    return QDir(archiveRoot).filePath(kFolder + u'/' + ArchiveName::monthFolder(month));
}

bool write(const QString& archiveRoot, const ExchangeRecord& record, QString* error,
           QString* written) {
    const QDir folder(monthFolder(archiveRoot, record.start.toLocalTime().date()));
    QString path;
    do {
        path = folder.filePath(fileName(record, ++g_counter));
    } while (QFileInfo::exists(path));
    if (!makeSharedFolders(systemPath(folder.path()))) {
        if (error) *error = QDir::toNativeSeparators(folder.path());
        return false;
    }
    const SafeFile::Result result = SafeFile::write(path, record.toJson());
    if (!result.ok) {
        if (error) *error = QDir::toNativeSeparators(path) + u'\n' + result.errorString;
        return false;
    }
    if (written) *written = path;
    return true;
}

QList<ExchangeRecord> readMonth(const QString& archiveRoot, const QDate& month, int* unreadable,
                                const std::function<bool()>& stopped) {
    QList<ExchangeRecord> records;
    int skipped = 0;
    const QDir folder(monthFolder(archiveRoot, month));
    // Everything named like a record, folders, pipes and devices included: what is not a record
    // is counted, so that the operator hears of it.
    const QStringList names = folder.entryList(
        {u'*' + kSuffix}, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (stopped && stopped()) break;
        const RegularFile::Result file = RegularFile::read(folder.filePath(name), kMaxRecordBytes);
        std::optional<ExchangeRecord> record;
        if (file.ok()) record = ExchangeRecord::fromJson(file.bytes);
        if (record)
            records.append(std::move(*record));
        else
            ++skipped;
    }
    std::stable_sort(
        records.begin(), records.end(),
        [](const ExchangeRecord& a, const ExchangeRecord& b) { return a.start < b.start; });
    if (unreadable) *unreadable = skipped;
    return records;
}

QList<ExchangeRecord::Form> formsOf(const QString& archiveRoot,
                                    const std::vector<ArchiveWriter::Entry>& entries) {
    const QDir root(archiveRoot);
    QList<ExchangeRecord::Form> forms;
    for (const ArchiveWriter::Entry& entry : entries)
        forms.append({root.relativeFilePath(entry.path), entry.size});
    return forms;
}

}  // namespace ExchangeRecords
