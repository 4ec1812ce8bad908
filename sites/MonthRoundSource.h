#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "sites/MonthRoundRows.h"
#include "sites/SiteHistory.h"
#include "store/StoreAddress.h"

class StoreConnection;
class StoreListener;

// What the window "Сбор за месяц" shows, read from the site book and the archive's exchange
// records; a site's last collection as SiteHistory finds it, which keeps what the months before
// say. With a common archive, the month's records of every machine are read from it too and
// merged with this archive's, an exchange in both counted once. One load at a time: the window
// runs it on a worker, never two at once.
class MonthRoundSource {
public:
    MonthRoundSource(QString bookPath, QString archiveRoot, StoreAddress store = {});
    ~MonthRoundSource();

    struct Loaded {
        QList<MonthRoundRow> rows;
        QString bookProblem;  // why the book could not be read, in the operator's words
        int unreadable = 0;   // records of the month that could not be read
        QStringList callers;  // the month's unknown callers (MonthRound::callerLines)
        bool withStore = false;  // a common archive is set
        QString storeProblem;    // why it could not be read; the rows are this archive's alone
        int formsUnsent = 0, recordsUnsent = 0;  // not yet in the common archive
    };
    // Once `stopped` says so, the load ends early with an answer nobody is to show.
    Loaded load(const QDate& month, const std::function<bool()>& stopped = {});
    const QString& archiveRoot() const { return m_root; }

    // What the window learns from the folders before it reads `month`, on the worker too since
    // a slow disk holds a listing as it holds a reading.
    struct Folders {
        // What to watch for a change of the month: its records' folder, or the nearest folder
        // above it that exists (the folder appears with the month's first record), the book,
        // and the unknown callers' file, which grows without the folder changing.
        QStringList watched;
        // The months the records go back to, at least a year before `newest`; the newest first.
        QList<QDate> months;
    };
    Folders folders(const QDate& month, const QDate& newest) const;

    // `heard` runs, on a thread of the listener's, whenever any machine's records reach the
    // common archive; nothing without one. Ended by stopListening or the source's end.
    void listen(std::function<void()> heard);
    void stopListening();

    // Merges `store`'s records into `local`, one of each exchange (by site, port and start).
    // The line under the table that tells the common archive's part; empty without one.
    static QString storeLine(const Loaded& loaded);
    static void merge(QList<ExchangeRecord>& local, const QList<ExchangeRecord>& store);

private:
    QList<QDate> offeredMonths(const QDate& newest) const;

    QString m_bookPath;
    QString m_root;
    SiteHistory m_history;
    StoreAddress m_store;
    std::unique_ptr<StoreConnection> m_connection;  // used by the load only
    std::unique_ptr<StoreListener> m_listener;

    void readStore(const QDate& month, QList<ExchangeRecord>& records, Loaded& loaded);
};
