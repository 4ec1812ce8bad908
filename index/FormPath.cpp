#include "index/FormPath.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTimeZone>
#include <array>

namespace FormPath {
namespace {

// The number written in `digits`, -1 when a character is not a digit.
int number(QStringView digits) {
    int n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

// Date, time, then the rest up to an optional number with the archive's suffixes for a second
// file of one name ("-2") and a form cut short ("-неполная").
const QRegularExpression& defaultShape() {
    static const QRegularExpression shape(QStringLiteral(
        "^(\\d{4}-\\d{2}-\\d{2})_(\\d{2}-\\d{2}-\\d{2})(?:_(.*?))?(?:_\\d+)?(?:-\\d+)?"
        "(?:-неполная)?(?:-\\d+)?\\.txt$"));
    return shape;
}

// The system's zone by its name: Qt's local time asks the C library, which looks at
// /etc/localtime again on every call when TZ is not set, and an archive of years has 100,000
// names to read. A zone whose name is not the one the C library goes by is not used.
const QTimeZone& localZone() {
    static const QTimeZone zone = [] {
        const QTimeZone named = QTimeZone::systemTimeZone();
        const QDateTime now = QDateTime::currentDateTime();
        return named.isValid() && named.offsetFromUtc(now) == now.offsetFromUtc() ? named
                                                                                  : QTimeZone();
    }();
    return zone;
}

QDateTime localTime(QDate date, QTime time) {
    return localZone().isValid() ? QDateTime(date, time, localZone()) : QDateTime(date, time);
}

// The three numbers of "2026-12-09" or "14-03-12", whose shape the pattern has checked.
std::array<int, 3> triple(QStringView s) {
    return {number(s.first(s.size() - 6)), number(s.sliced(s.size() - 5, 2)), number(s.last(2))};
}

// Whether the name gave the time; the port and type come with it.
bool readName(QStringView name, Fields& f) {
    const QRegularExpressionMatch m = defaultShape().match(name);
    if (!m.hasMatch()) return false;
    const auto [year, month, day] = triple(m.capturedView(1));
    const auto [hour, minute, second] = triple(m.capturedView(2));
    const QDateTime received = localTime(QDate(year, month, day), QTime(hour, minute, second));
    if (!received.isValid()) return false;
    f.received = received;
    const QStringView rest = m.capturedView(3);
    const qsizetype cut = rest.indexOf(u'_');
    f.port = (cut < 0 ? rest : rest.first(cut)).toString();
    if (cut >= 0) f.type = rest.sliced(cut + 1).toString();
    return true;
}

}  // namespace

// Read by hand, as every name of an archive of years passes here.
bool isMonth(QStringView folder) {
    if (folder.size() != 7 || folder[4] != u'-' || number(folder.first(4)) < 0) return false;
    const int month = number(folder.sliced(5));
    return month >= 1 && month <= 12;
}

std::optional<QDateTime> timeInName(const QString& relative) {
    Fields f;
    if (!readName(QStringView(relative).sliced(relative.lastIndexOf(u'/') + 1), f)) return {};
    return f.received;
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
    if (!readName(parts.last(), f))
        f.received = localZone().isValid() ? QDateTime::fromMSecsSinceEpoch(modifiedMs, localZone())
                                           : QDateTime::fromMSecsSinceEpoch(modifiedMs);
    // The nearest month folder above the file, and the site folder above that.
    for (qsizetype i = parts.size() - 2; i >= 0; --i) {
        if (!isMonth(parts[i])) continue;
        f.month = parts[i].toString();
        if (i > 0) f.site = relative.first(parts[i].data() - relative.data() - 1);
        break;
    }
    if (f.month.isEmpty()) f.month = f.received.toString(QStringLiteral("yyyy-MM"));
    return f;
}

}  // namespace FormPath
