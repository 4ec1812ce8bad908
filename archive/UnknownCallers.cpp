#include "archive/UnknownCallers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include "archive/ExchangeRecord.h"
#include "files/RegularFile.h"
#include "platform/SharedFolders.h"

namespace UnknownCallers {

QString filePath(const QString& archiveRoot, const QDate& month) {
    return QDir(ExchangeRecords::monthFolder(archiveRoot, month))
        .filePath(QStringLiteral("callers.jsonl"));
}

bool append(const QString& archiveRoot, const UnknownCaller& caller, QString* error) {
    const QString path = filePath(archiveRoot, caller.time.toLocalTime().date());
    if (!makeSharedFolders(QFileInfo(path).path().toStdString())) {
        if (error) *error = QDir::toNativeSeparators(QFileInfo(path).path());
        return false;
    }
    if (QFileInfo(path).size() >= kMaxFileBytes) return true;
    const QJsonObject o{{"time", caller.time.toUTC().toString(Qt::ISODateWithMs)},
                        {"address", caller.address},
                        {"sent", QString::fromLatin1(caller.sent.left(kMaxSentBytes).toHex())}};
    QFile file(path);
    // One write of one whole line, appended: a reader never meets half a record.
    const QByteArray line = QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered) ||
        file.write(line) != line.size()) {
        if (error) *error = QDir::toNativeSeparators(path) + u'\n' + file.errorString();
        return false;
    }
    return true;
}

QList<UnknownCaller> readMonth(const QString& archiveRoot, const QDate& month) {
    const QString path = filePath(archiveRoot, month);
    if (!QFileInfo(path).isFile()) return {};
    // A full file and the last line appended while it filled.
    const RegularFile::Result file = RegularFile::read(path, kMaxFileBytes + 4096);
    QList<UnknownCaller> callers;
    if (file.failure != RegularFile::Failure::None) return callers;
    for (const QByteArray& line : file.bytes.split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        UnknownCaller caller{QDateTime::fromString(o.value("time").toString(), Qt::ISODateWithMs),
                             o.value("address").toString(),
                             QByteArray::fromHex(o.value("sent").toString().toLatin1())};
        if (caller.time.isValid() && !caller.address.isEmpty()) callers << caller;
    }
    return callers;
}

}  // namespace UnknownCallers
