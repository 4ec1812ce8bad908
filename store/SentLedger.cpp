#include "store/SentLedger.h"

#include <QDir>

#include "files/AppendFile.h"
#include "files/RegularFile.h"
#include "files/SafeFile.h"
#include "platform/SharedFolders.h"

namespace {

const QString kFolder = QStringLiteral(".store");
const QString kLastStore = QStringLiteral("last-store");
const QString kSuffix = QStringLiteral(".sent");
// A month of 100,000 forms with long site names is under ten megabytes.
constexpr qint64 kMaxLedgerBytes = qint64(256) << 20;

}  // namespace

SentLedger::SentLedger(QString archiveRoot, QString storeId)
    : m_root(std::move(archiveRoot)), m_storeId(std::move(storeId)) {}

QString SentLedger::folder() const {
    return QDir(m_root).filePath(kFolder + u'/' + m_storeId);
}

QSet<QString> SentLedger::sent() const {
    QSet<QString> paths;
    const QDir dir(folder());
    for (const QString& name : dir.entryList({u'*' + kSuffix}, QDir::Files)) {
        const RegularFile::Result file = RegularFile::read(dir.filePath(name), kMaxLedgerBytes);
        if (!file.ok()) continue;
        const QList<QByteArray> lines = file.bytes.split('\n');
        // The last piece follows the last newline: empty, or a line torn by a kill.
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            if (!lines[i].isEmpty()) paths.insert(QString::fromUtf8(lines[i]));
    }
    return paths;
}

bool SentLedger::add(const QString& month, const QStringList& paths, QString* error) const {
    const QString path = QDir(folder()).filePath(month + kSuffix);
    QByteArray bytes;
    for (const QString& p : paths) bytes += p.toUtf8() + '\n';
    if (makeSharedFolders(folder().toStdString()) && appendFile(path, bytes)) return true;
    if (error) *error = QDir::toNativeSeparators(path);
    return false;
}

QString SentLedger::lastStoreId(const QString& archiveRoot) {
    const RegularFile::Result file =
        RegularFile::read(QDir(archiveRoot).filePath(kFolder + u'/' + kLastStore), 256);
    return file.ok() ? QString::fromUtf8(file.bytes).trimmed() : QString();
}

bool SentLedger::rememberStore(const QString& archiveRoot, const QString& storeId) {
    if (lastStoreId(archiveRoot) == storeId) return true;
    const QString folder = QDir(archiveRoot).filePath(kFolder);
    return makeSharedFolders(folder.toStdString()) &&
           SafeFile::write(QDir(folder).filePath(kLastStore), storeId.toUtf8() + '\n').ok;
}
