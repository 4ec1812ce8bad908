#include "sites/SiteListenKeys.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace SiteListenKeys {

namespace {

bool isHexText(const QString& text) {
    return text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
}

bool visible(QChar c) {
    return c.isPrint();
}

bool printable(QChar c) {
    return visible(c) || c == u'\t' || c == u'\r' || c == u'\n';
}

// Text as the book holds it (UTF-8, so a Cyrillic hello reads back as written) where every
// character passes `asText`; hex for anything else: other characters, broken UTF-8, or text
// that would read back as hex.
QString writtenBytes(const QByteArray& bytes, bool (*asText)(QChar)) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    const bool readable =
        !utf8.hasError() && std::all_of(text.begin(), text.end(), asText) && !isHexText(text);
    return readable ? text : QStringLiteral("0x") + QString::fromLatin1(bytes.toHex());
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
