#include "sites/SiteListenKeys.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>

namespace SiteListenKeys {

namespace {

bool isHexText(const QString& text) {
    return text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
}

bool visible(char c) {
    return c >= 0x20 && c < 0x7f;
}

bool printable(char c) {
    return visible(c) || c == '\t' || c == '\r' || c == '\n';
}

// Text where every byte passes `asText` and the text does not pass for hex itself.
QString writtenBytes(const QByteArray& bytes, bool (*asText)(char)) {
    const bool text = std::all_of(bytes.begin(), bytes.end(), asText) &&
                      !isHexText(QString::fromLatin1(bytes.left(2)));
    return text ? QString::fromLatin1(bytes)
                : QStringLiteral("0x") + QString::fromLatin1(bytes.toHex());
}

struct Unit {
    char letter;
    int seconds;
};
constexpr std::array<Unit, 4> kUnits{{{'d', 86400}, {'h', 3600}, {'m', 60}, {'s', 1}}};

}  // namespace

std::optional<QByteArray> parseBytes(const QString& written) {
    if (written.isEmpty()) return std::nullopt;
    if (!isHexText(written)) return written.toUtf8();
    const QString digits = written.mid(2).remove(u' ');
    static const QRegularExpression kHex(QStringLiteral("^([0-9A-Fa-f]{2})+$"));
    if (!kHex.match(digits).hasMatch()) return std::nullopt;
    return QByteArray::fromHex(digits.toLatin1());
}

QString bytesText(const QByteArray& bytes) {
    return writtenBytes(bytes, printable);
}

QString bytesLine(const QByteArray& bytes) {
    return writtenBytes(bytes, visible);
}

std::optional<int> parseSeconds(const QString& written) {
    static const QRegularExpression kSpan(QStringLiteral("^\\s*(\\d{1,9})\\s*([smhd]?)\\s*$"));
    const QRegularExpressionMatch match = kSpan.match(written);
    if (!match.hasMatch()) return std::nullopt;
    const qint64 count = match.captured(1).toLongLong();
    qint64 unit = 1;
    for (const Unit& u : kUnits)
        if (match.captured(2) == QLatin1Char(u.letter)) unit = u.seconds;
    const qint64 seconds = count * unit;
    if (seconds < 1 || seconds > std::numeric_limits<int>::max()) return std::nullopt;
    return int(seconds);
}

QString secondsText(int seconds) {
    for (const Unit& u : kUnits)
        if (seconds % u.seconds == 0)
            return QString::number(seconds / u.seconds) + QLatin1Char(u.letter);
    return QString::number(seconds);
}

QString shownBytes(const QByteArray& bytes) {
    QString shown;
    for (char c : bytes) shown += visible(c) ? QLatin1Char(c) : QLatin1Char('.');
    return QStringLiteral("%1 (%2)").arg(shown, QString::fromLatin1(bytes.toHex(' ')));
}

}  // namespace SiteListenKeys
