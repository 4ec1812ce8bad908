#include "archive/FormPath.h"

#include <QStringList>

#include "archive/ArchiveName.h"

namespace FormPath {
namespace {

// Whether the name gave the time; the port and type come with it.
bool readName(QStringView name, Fields& f) {
    const std::optional<ArchiveNameFields> named = ArchiveName::parse(name);
    if (!named) return false;
    f.received = named->received;
    f.port = named->port;
    f.type = named->device;
    return true;
}

}  // namespace

std::optional<QDateTime> timeInName(const QString& relative) {
    const std::optional<ArchiveNameFields> named =
        ArchiveName::parse(QStringView(relative).sliced(relative.lastIndexOf(u'/') + 1));
    if (!named) return std::nullopt;
    return named->received;
}

bool isForm(const QString& relative) {
    if (!relative.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive)) return false;
    for (const QString& part : relative.split(u'/'))
        if (part.startsWith(u'.')) return false;
    return true;
}

Fields fields(const QString& relative, qint64 modifiedMs) {
    Fields f;
    const QList<QStringView> parts = QStringView(relative).split(u'/');
    if (!readName(parts.last(), f)) f.received = ArchiveName::localTime(modifiedMs);
    // The nearest month folder above the file, and the site folder above that.
    for (qsizetype i = parts.size() - 2; i >= 0; --i) {
        if (!ArchiveName::isMonthFolder(parts[i])) continue;
        f.month = parts[i].toString();
        if (i > 0) f.site = relative.first(parts[i].data() - relative.data() - 1);
        break;
    }
    if (f.month.isEmpty()) f.month = ArchiveName::monthFolder(f.received.date());
    return f;
}

}  // namespace FormPath
