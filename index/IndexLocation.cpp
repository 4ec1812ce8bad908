#include "index/IndexLocation.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace IndexLocation {

QString fileFor(const QString& root) {
    QString canonical = QFileInfo(root).canonicalFilePath();
    if (canonical.isEmpty()) canonical = QDir::cleanPath(QFileInfo(root).absoluteFilePath());
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(20);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return QDir(cache).filePath(QStringLiteral("archive-index-%1.sqlite").arg(QLatin1String(hash)));
}

}  // namespace IndexLocation
