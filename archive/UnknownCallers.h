#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

// A modem that connected to tabulon-collect --listen and named no site of the book: kept so
// that the window "Сбор за месяц" can show who called (a modem set up with a new hello, a site
// not yet in the book). One JSON object per line, appended to "callers.jsonl" in the month's
// records folder (<root>/.exchanges/YYYY-MM/, the month of the call in local time):
//   {"time":"2026-03-01T02:00:05.123Z","address":"192.0.2.7","sent":"49443a37"}
// `sent` is the hex of what the caller sent before it was closed (at most kMaxSentBytes).
struct UnknownCaller {
    QDateTime time;  // UTC
    QString address;
    QByteArray sent;
};

namespace UnknownCallers {

inline constexpr qsizetype kMaxSentBytes = 256;
// A month's file grows no further than this: a port open to the internet meets scanners all
// day, and they must not fill the archive's disk. Several thousand calls fit.
inline constexpr qint64 kMaxFileBytes = qint64(1) << 20;

QString filePath(const QString& archiveRoot, const QDate& month);
// Appends the caller to its month's file. False with `error` (where and why) when it cannot be
// written; true, writing nothing, once the file is full.
bool append(const QString& archiveRoot, const UnknownCaller& caller, QString* error);
// The month's callers in the order they came; lines that are no such record are skipped.
QList<UnknownCaller> readMonth(const QString& archiveRoot, const QDate& month);

}  // namespace UnknownCallers
