#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// What an archived form's file name may be made of.
struct ArchiveNameFields {
    QDateTime received;  // local time the form (or the part of it) came
    QString port;        // "COM3", or a device path
    QString device;      // the calculator type's name, "КСМ-Р"
    int rate = 0;        // bit/s
    int number = 0;      // the form's number in its exchange, from 1
    QString title;       // the form's first non-blank line
    QString site;        // the site of the book; empty for an exchange without one
};

namespace ArchiveName {

inline const QString kDefaultTemplate = QStringLiteral("{date}_{time}_{port}_{device}_{n}.txt");

// The fields a template may name, in the order the settings offer them.
QStringList fieldNames();

// The names in braces of `tmpl` that are not fields; empty when the template is sound.
QStringList unknownFields(const QString& tmpl);

// The file name `tmpl` gives for `fields`: {date} 2026-12-09, {time} 14-03-12, {port},
// {device}, {speed}, {n} (01, 02, ... 100), {title}, {site}. Every field and the literal text are
// cleaned so that the result is one plain file name on any system; it is never empty and
// never longer than kMaxNameBytes in UTF-8.
QString expand(const QString& tmpl, const ArchiveNameFields& fields);
constexpr int kMaxNameBytes = 200;

// What a name of the default template's shape tells back, the inverse of expand with
// kDefaultTemplate: `received` (local time), the port as the name holds it, the type and the
// number; nothing when `name` does not begin with a date and time or is no ".txt". The suffixes
// of alternative and incomplete may follow, and a name that ends after its time still tells it.
// The index reads every name of an archive of years through it.
std::optional<ArchiveNameFields> parse(QStringView name);

// `msecsSinceEpoch` in the local time the names are read in (see parse).
QDateTime localTime(qint64 msecsSinceEpoch);

// `name` with the suffix of its `attempt`-th alternative before the extension: "a.txt",
// "a-2.txt", "a-3.txt", ...
QString alternative(const QString& name, int attempt);

// The name of a form cut short: `name` with "-неполная" before the extension.
QString incomplete(const QString& name);

// `text` made fit for a file name: path separators, characters Windows refuses and control
// characters become '_', runs of blanks one blank, no blank or dot at either end.
QString clean(const QString& text);

// The first line of `text` that holds more than blanks, cleaned and cut to a sensible length.
QString firstLine(const QString& text);

// The folder of a month: "2026-12".
QString monthFolder(const QDate& date);
// Whether `folder` is a month's, as monthFolder names it.
bool isMonthFolder(QStringView folder);

// The folder of a site's forms inside the archive, its name cleaned, composed (NFC) and cut to
// kMaxNameBytes; empty for no site. The one place the folder is named: the writer, the book's
// check that no two sites share a folder, and the windows that show a site's forms use it.
QString siteFolder(const QString& site);

}  // namespace ArchiveName
