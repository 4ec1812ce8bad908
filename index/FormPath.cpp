#include "index/FormPath.h"

#include <QRegularExpression>
#include <QStringList>

namespace FormPath {
namespace {

bool isMonth(const QString& folder) {
    static const QRegularExpression month(QStringLiteral("^\\d{4}-(0[1-9]|1[0-2])$"));
    return month.match(folder).hasMatch();
}

// Date, time, then the rest up to an optional number with the archive's suffixes for a second
// file of one name ("-2") and a form cut short ("-неполная").
const QRegularExpression& defaultShape() {
    static const QRegularExpression shape(QStringLiteral(
        "^(\\d{4}-\\d{2}-\\d{2})_(\\d{2}-\\d{2}-\\d{2})(?:_(.*?))?(?:_\\d+)?(?:-\\d+)?"
        "(?:-неполная)?(?:-\\d+)?\\.txt$"));
    return shape;
}

void readName(const QString& name, Fields& f) {
    const QRegularExpressionMatch m = defaultShape().match(name);
    if (!m.hasMatch()) return;
    const QDateTime received(QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd")),
                             QTime::fromString(m.captured(2), QStringLiteral("HH-mm-ss")));
    if (!received.isValid()) return;
    f.received = received;
    const QString rest = m.captured(3);
    const qsizetype cut = rest.indexOf(u'_');
    f.port = rest.left(cut);
    if (cut >= 0) f.type = rest.mid(cut + 1);
}

}  // namespace

bool isForm(const QString& relative) {
    if (!relative.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive)) return false;
    for (const QString& part : relative.split(u'/'))
        if (part.startsWith(u'.')) return false;
    return true;
}

Fields fields(const QString& relative, const QDateTime& modified) {
    Fields f;
    f.received = modified.toLocalTime();
    const QStringList parts = relative.split(u'/');
    readName(parts.last(), f);
    // The nearest month folder above the file, and the site folder above that.
    for (qsizetype i = parts.size() - 2; i >= 0; --i) {
        if (!isMonth(parts[i])) continue;
        f.month = parts[i];
        if (i > 0) f.site = parts.mid(0, i).join(u'/');
        break;
    }
    if (f.month.isEmpty()) f.month = f.received.toString(QStringLiteral("yyyy-MM"));
    return f;
}

}  // namespace FormPath
