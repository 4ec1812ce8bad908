#pragma once

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QList>
#include <QString>
#include <QStringList>

#include "archive/ExchangeRecord.h"

// An archive as a test sets it up and looks at it afterwards. Records are written and read
// through the program's own ExchangeRecords, so that a change of their format reaches the
// tests too.

// An exchange of `site` on `port` with a КСМ-Р at 9600 baud, a minute long from `start`, that
// ended with `outcome` and names `forms` forms of 100 bytes each.
inline ExchangeRecord testRecord(const QString& site, const QDateTime& start, RecordOutcome outcome,
                                 int forms = 0, const QString& port = QStringLiteral("COM1")) {
    ExchangeRecord r;
    r.site = site;
    r.port = port;
    r.device = QStringLiteral("КСМ-Р");
    r.speed = 9600;
    r.start = start.toUTC();
    r.end = r.start.addSecs(60);
    r.outcome = outcome;
    for (int i = 0; i < forms; ++i) r.forms.append({QStringLiteral("f%1.txt").arg(i), 100});
    r.bytes = 100 * forms;
    return r;
}

// Writes `record` into the archive at `root` as the end of an exchange does.
inline testing::AssertionResult addRecord(const QString& root, const ExchangeRecord& record) {
    QString error;
    if (ExchangeRecords::write(root, record, &error)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << error.toStdString();
}

// The records of every month the archive at `root` has any for; a file there that is no
// record fails the test.
inline QList<ExchangeRecord> archivedRecords(const QString& root) {
    QList<ExchangeRecord> records;
    const QDir folder(QDir(root).filePath(QStringLiteral(".exchanges")));
    for (const QString& month : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        int unreadable = 0;
        records += ExchangeRecords::readMonth(
            root, QDate::fromString(month, QStringLiteral("yyyy-MM")), &unreadable);
        EXPECT_EQ(unreadable, 0) << month.toStdString();
    }
    return records;
}

// The forms of the archive at `root` (its hidden records are not among them), sorted: full
// paths.
inline QStringList archiveFiles(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
}

// The same named from the root, as the records name them: "Котельная 3/2026-12/….txt".
inline QStringList archiveNames(const QString& root) {
    QStringList names = archiveFiles(root);
    for (QString& name : names) name = QDir(root).relativeFilePath(name);
    return names;
}
