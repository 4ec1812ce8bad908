#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

// What a form's place in the archive tells about it. Forms lie in "<month>/<name>.txt" or
// "<site>/<month>/<name>.txt" below the root (ArchiveName's month and site folders). The name
// template is the operator's choice: the time, port and type are read from a name only when it
// has the default template's shape (ArchiveName::parse), and the time is the file's modification
// time otherwise.
namespace FormPath {

struct Fields {
    QString site;        // empty for a form without one
    QString month;       // "2026-12"
    QDateTime received;  // local time
    QString port;
    QString type;
};

// Whether `relative` (to the root, with '/') names a form: a ".txt" file outside hidden folders
// (the exchange records, the archive's temporary files) and not hidden itself.
bool isForm(const QString& relative);
// The time the default template wrote into the file's name, if it has that shape.
std::optional<QDateTime> timeInName(const QString& relative);

// `modifiedMs`, the file's modification time since the epoch, is the time when the name tells none.
Fields fields(const QString& relative, qint64 modifiedMs);

}  // namespace FormPath
