#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// How the book writes the keys of a site whose modem calls in: bytes (`hello`, `heartbeat`) as
// text, or as "0x" and hex digits for bytes a person cannot type; `read_every` as seconds, or a
// number with s, m, h or d after it ("12h", "1d").
namespace SiteListenKeys {

// Nothing when the text is "0x…" with no even count of hex digits after it, or empty.
std::optional<QByteArray> parseBytes(const QString& written);
// Text where the bytes are UTF-8 of printable characters (tab, CR and LF too) that do not
// themselves begin with "0x"; hex otherwise, so that the book reads back the very bytes.
QString bytesText(const QByteArray& bytes);
// The same for a field of one line, which has no room for a tab, CR or LF: hex for those too.
QString bytesLine(const QByteArray& bytes);

// Seconds, at least one; nothing for anything else.
std::optional<int> parseSeconds(const QString& written);
// The largest unit that divides the span: "1d", "12h", "90m", "45s".
QString secondsText(int seconds);

// The bytes as a person reads them in a log: printable ASCII as it is, anything else as '.',
// then the hex of all of it ("ID:7. (49 44 3a 37 0d)").
QString shownBytes(const QByteArray& bytes);

}  // namespace SiteListenKeys
