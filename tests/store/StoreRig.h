#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include "archive/ArchiveName.h"
#include "archive/ExchangeRecord.h"
#include "tests/fakes/PostgresServer.h"
#include "tests/fakes/TestFiles.h"

// An archive of forms as the collector leaves it, and a store made by its owner on a server of
// the test's own.
namespace storeRig {

// `count` forms of site `site`, one a minute from `firstMinute` of 2026-11-05 (distinct text
// from `seed` on), named by `names`, and one exchange record naming them all.
inline void writeForms(const QString& root, const QString& site, int count, int seed = 0,
                       int firstMinute = 0, const QString& names = ArchiveName::kDefaultTemplate) {
    const QString folder = QDir(root).filePath(ArchiveName::siteFolder(site) + "/2026-11");
    QDir().mkpath(folder);
    ExchangeRecord record;
    record.site = site;
    record.port = "COM3";
    record.device = "КСМ-Р";
    record.speed = 9600;
    record.start = QDateTime(QDate(2026, 11, 5), QTime(0, 0), Qt::UTC).addSecs(60 * firstMinute);
    for (int i = 0; i < count; ++i) {
        ArchiveNameFields f;
        f.received = QDateTime(QDate(2026, 11, 5), QTime(0, 0)).addSecs(60 * (firstMinute + i));
        f.port = "COM3";
        f.device = "КСМ-Р";
        f.number = i + 1;
        const QString name = ArchiveName::expand(names, f);
        const QByteArray text = archivedForm(
            QStringLiteral("ОТЧЁТ %1\nТепло %2 Гкал\n").arg(site).arg(seed + i).repeated(20));
        writeAll(QDir(folder).filePath(name), text);
        record.forms.append(
            {QDir(root).relativeFilePath(QDir(folder).filePath(name)), text.size()});
    }
    record.end = record.start.addSecs(60 * count);
    record.outcome = count ? RecordOutcome::FormsReceived : RecordOutcome::NothingReceived;
    QString error;
    ExchangeRecords::write(root, record, &error);
}

// The database "tabulon" owned by the role "owner", its schema made, and "uploader" allowed
// what the manual's GRANTs allow.
inline void makeStore(PostgresServer& server) {
    server.psql("CREATE ROLE owner LOGIN PASSWORD 'owner-secret'");
    server.psql("CREATE ROLE uploader LOGIN PASSWORD 'upload-secret'");
    server.psql("CREATE DATABASE tabulon OWNER owner");
}

inline QString count(PostgresServer& server, const QString& sql) {
    return server.psql(sql, "tabulon");
}

}  // namespace storeRig
