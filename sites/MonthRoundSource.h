#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "sites/MonthRoundRows.h"
#include "sites/SiteHistory.h"

// What the window "Сбор за месяц" shows, read from the site book and the archive's exchange
// records; a site's last collection as SiteHistory finds it, which keeps what the months before
// say. One load at a time: the window runs it on a worker, never two at once.
class MonthRoundSource {
public:
    MonthRoundSource(QString bookPath, QString archiveRoot);

    struct Loaded {
        QList<MonthRoundRow> rows;
        QString bookProblem;  // why the book could not be read, in the operator's words
        int unreadable = 0;   // records of the month that could not be read
        QStringList callers;  // the month's unknown callers (MonthRound::callerLines)
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

private:
    QList<QDate> offeredMonths(const QDate& newest) const;

    QString m_bookPath;
    QString m_root;
    SiteHistory m_history;
};
