#include "archive/ArchiveName.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <array>

#include "res/Texts.h"

namespace ArchiveName {
namespace {

constexpr int kMaxTitleChars = 60;

bool isUnsafe(QChar c) {
    static const QString kRefused = QStringLiteral("/\\:*?\"<>|");
    return c.unicode() < 0x20 || c.unicode() == 0x7F ||
           (c.unicode() >= 0x80 && c.unicode() < 0xA0) || kRefused.contains(c) ||
           c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph;
}

// A device path names the line by its last part: /dev/ttyUSB0 is ttyUSB0. A bare number says
// nothing of the line ("0" of /dev/pts/0), so its folder comes with it: pts-0.
QString portPiece(const QString& port) {
    const QStringList parts = port.split(u'/', Qt::SkipEmptyParts);
    if (parts.size() < 2 || !port.contains(u'/')) return port;
    bool number = false;
    parts.back().toInt(&number);
    return number ? parts[parts.size() - 2] + u'-' + parts.back() : parts.back();
}

const QRegularExpression& fieldPattern() {
    static const QRegularExpression pattern(QStringLiteral("\\{([^{}]*)\\}"));
    return pattern;
}

QString fieldValue(const QString& name, const ArchiveNameFields& f) {
    if (name == u"date") return f.received.toString(QStringLiteral("yyyy-MM-dd"));
    if (name == u"time") return f.received.toString(QStringLiteral("HH-mm-ss"));
    if (name == u"port") return portPiece(f.port);
    if (name == u"device") return f.device;
    if (name == u"speed") return QString::number(f.rate);
    if (name == u"n") return QStringLiteral("%1").arg(f.number, 2, 10, QLatin1Char('0'));
    if (name == u"title") return f.title;
    if (name == u"site") return f.site;
    return QStringLiteral("{%1}").arg(name);
}

// Cut to at most `maxBytes` of UTF-8 without splitting a character, and cleaned again.
QString cutTo(QString text, int maxBytes) {
    if (text.toUtf8().size() <= maxBytes) return text;
    while (!text.isEmpty() && text.toUtf8().size() > maxBytes) {
        text.chop(1);
        if (!text.isEmpty() && text.back().isHighSurrogate()) text.chop(1);
    }
    return clean(text);
}

// Cut to at most `maxBytes` of UTF-8; the extension stays.
QString fitted(const QString& name, int maxBytes) {
    if (name.toUtf8().size() <= maxBytes) return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot > 0 && name.size() - dot <= 8 ? name.mid(dot) : QString();
    const QString stem = name.left(name.size() - extension.size());
    return cutTo(stem, maxBytes - int(extension.toUtf8().size())) + extension;
}

}  // namespace

QStringList fieldNames() {
    return {"date", "time", "port", "device", "speed", "n", "title", "site"};
}

QStringList unknownFields(const QString& tmpl) {
    QStringList unknown;
    const QStringList known = fieldNames();
    for (const auto& match : fieldPattern().globalMatch(tmpl))
        if (!known.contains(match.captured(1))) unknown << match.captured(1);
    return unknown;
}

namespace {

// Unsafe characters replaced and blanks folded, the ends left as they are.
QString replaceUnsafe(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.isSpace()) {
            if (out.isEmpty() || out.back() != u' ') out += u' ';
            continue;
        }
        out += isUnsafe(c) ? QChar(u'_') : c;
    }
    return out;
}

QString trimmed(QString out) {
    // Windows drops dots and blanks at the end of a name; a leading dot hides a file here.
    while (!out.isEmpty() && (out.front() == u'.' || out.front() == u' ')) out.remove(0, 1);
    while (!out.isEmpty() && (out.back() == u'.' || out.back() == u' ')) out.chop(1);
    return out;
}

}  // namespace

QString clean(const QString& text) {
    return trimmed(replaceUnsafe(text));
}

QString firstLine(const QString& text) {
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
    for (const QString& line : text.split(lineBreak)) {
        QString cleaned = clean(line);
        if (cleaned.isEmpty()) continue;
        if (cleaned.size() > kMaxTitleChars) cleaned = clean(cleaned.left(kMaxTitleChars));
        return cleaned;
    }
    return {};
}

QString expand(const QString& tmpl, const ArchiveNameFields& fields) {
    QString name;
    qsizetype at = 0;
    for (const auto& match : fieldPattern().globalMatch(tmpl)) {
        name += replaceUnsafe(tmpl.mid(at, match.capturedStart() - at));
        name += clean(fieldValue(match.captured(1), fields));
        at = match.capturedEnd();
    }
    name = replaceUnsafe(name + replaceUnsafe(tmpl.mid(at)));
    // Only an extension left ("{title}.txt" with no title): it keeps its dot behind a stem.
    const qsizetype lead = name.indexOf(QRegularExpression(QStringLiteral("[^ ]")));
    if (lead >= 0 && name.at(lead) == u'.' && name.lastIndexOf(u'.') == lead)
        name.insert(lead, QStringLiteral("form"));
    name = trimmed(name);
    if (name.isEmpty() || name.startsWith(u'.')) name.prepend(QStringLiteral("form"));
    return fitted(name, kMaxNameBytes);
}

namespace {

QString beforeExtension(const QString& name, const QString& suffix) {
    const qsizetype dot = name.lastIndexOf(u'.');
    const qsizetype cut = dot > 0 ? dot : name.size();
    return name.left(cut) + suffix + name.mid(cut);
}

}  // namespace

QString alternative(const QString& name, int attempt) {
    if (attempt <= 1) return name;
    return beforeExtension(name, QStringLiteral("-%1").arg(attempt));
}

QString incomplete(const QString& name) {
    return beforeExtension(name, texts::kIncompleteSuffix);
}

namespace {

// The number written in `digits`, -1 when a character is not a digit. By hand, as every name of
// an archive of years passes here.
int number(QStringView digits) {
    int n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

// The default template's date and time, the rest up to its number, then the suffixes of a
// second file of one name ("-2") and of a form cut short; the rest may be missing.
const QRegularExpression& defaultShape() {
    static const QRegularExpression shape = [] {
        const QString extension = kDefaultTemplate.mid(kDefaultTemplate.lastIndexOf(u'.'));
        return QRegularExpression(
            QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})_(\\d{2}-\\d{2}-\\d{2})(?:_(.*?))?(?:_(\\d+))?"
                           "(?:-\\d+)?(?:%1)?(?:-\\d+)?%2$")
                .arg(QRegularExpression::escape(texts::kIncompleteSuffix),
                     QRegularExpression::escape(extension)));
    }();
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

// The three numbers of "2026-12-09" or "14-03-12", whose shape the pattern has checked.
std::array<int, 3> triple(QStringView s) {
    return {number(s.first(s.size() - 6)), number(s.sliced(s.size() - 5, 2)), number(s.last(2))};
}

}  // namespace

std::optional<ArchiveNameFields> parse(QStringView name) {
    const QRegularExpressionMatch m = defaultShape().match(name);
    if (!m.hasMatch()) return std::nullopt;
    const auto [year, month, day] = triple(m.capturedView(1));
    const auto [hour, minute, second] = triple(m.capturedView(2));
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    ArchiveNameFields f;
    f.received = localZone().isValid() ? QDateTime(date, time, localZone()) : QDateTime(date, time);
    if (!f.received.isValid()) return std::nullopt;
    // A type's name holds no '_', while a network line's may ("10.0.0.2_4001"): the type is
    // what follows the last one.
    const QStringView rest = m.capturedView(3);
    const qsizetype cut = rest.lastIndexOf(u'_');
    f.port = (cut < 0 ? rest : rest.first(cut)).toString();
    if (cut >= 0) f.device = rest.sliced(cut + 1).toString();
    f.number = qMax(0, number(m.capturedView(4)));
    return f;
}

QDateTime localTime(qint64 msecsSinceEpoch) {
    return localZone().isValid() ? QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, localZone())
                                 : QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch);
}

QString monthFolder(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM"));
}

bool isMonthFolder(QStringView folder) {
    if (folder.size() != 7 || folder[4] != u'-' || number(folder.first(4)) < 0) return false;
    const int month = number(folder.sliced(5));
    return month >= 1 && month <= 12;
}

QString siteFolder(const QString& site) {
    if (site.isEmpty()) return {};
    // One name typed composed or decomposed is one folder; a long name is cut as a form's is,
    // so that the file system takes it. A name of dots or separators alone still gets a folder
    // of its own, apart from the months.
    const QString folder =
        cutTo(clean(site.normalized(QString::NormalizationForm_C)), kMaxNameBytes);
    return folder.isEmpty() ? QStringLiteral("_") : folder;
}

}  // namespace ArchiveName
