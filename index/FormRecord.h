#pragma once

#include <QDateTime>
#include <QString>

// One form file as the index knows it.
struct FormRecord {
    qint64 id = 0;
    QString path;      // below the archive's root, with '/'
    qint64 size = 0;   // bytes
    qint64 mtime = 0;  // modification time, ms since the epoch
    QString site;
    QString month;
    QDateTime received;
    QString port;
    QString type;
    QString firstLine;
    QString error;  // why the file could not be read; empty when it was
};
