#pragma once

#include <QDateTime>
#include <QString>

// A form as the common archive holds it, with the machine that sent it.
struct StoreForm {
    QString site;
    QString port;
    QString device;
    QDateTime received;
    QString fileName;  // below its machine's archive, with '/', as the archive names it
    qint64 size = 0;   // of the file, in bytes
    QString text;      // the whole form, as Unicode
    QString machine;   // the host name of the machine that sent it
};
