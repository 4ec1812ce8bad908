#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// What of an archive has reached one common archive: the paths below the archive's root, one a
// line, in a small file per month in the archive's hidden ".store/<store id>/" (the store's
// lasting id, so that a store made anew gets everything again). Only appended to, each batch in
// one write after the store committed it: a kill at any moment loses at most that batch's lines
// (a torn last line ends in no newline and is not read), and what they miss is sent again and
// kept once by the store. Two machines sharing the folder append to the same files.
class SentLedger {
public:
    SentLedger(QString archiveRoot, QString storeId);

    // Every path the ledger holds.
    QSet<QString> sent() const;
    // Appends `paths` to `month`'s file; false with `error` (the file) when it cannot.
    bool add(const QString& month, const QStringList& paths, QString* error) const;

    // The store last sent to from this archive, for a backlog counted without a connection.
    static QString lastStoreId(const QString& archiveRoot);
    static bool rememberStore(const QString& archiveRoot, const QString& storeId);

    QString folder() const;

private:
    QString m_root;
    QString m_storeId;
};
