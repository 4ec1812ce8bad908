#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "sites/MonthRoundRows.h"

// What the window "Сбор за месяц" shows, read from the site book and the archive's exchange
// records. Months before the current one no longer change, so what they say is kept. One load at
// a time: the window runs it on a worker, never two at once.
class MonthRoundSource {
public:
    MonthRoundSource(QString bookPath, QString archiveRoot);

    struct Loaded {
        QList<MonthRoundRow> rows;
        QString bookProblem;  // why the book could not be read, in the operator's words
        int unreadable = 0;   // records of the month that could not be read
    };
    // Once `stopped` says so, the load ends early with an answer nobody is to show.
    Loaded load(const QDate& month, const std::function<bool()>& stopped = {});
    const QString& archiveRoot() const { return m_root; }

    // What to watch for a change of `month`: its records' folder, or the nearest folder above
    // it that exists (the folder appears with the month's first record), and the book.
    QStringList watchedPaths(const QDate& month) const;

    // How many months before the one shown are searched for a site's last collection.
    static constexpr int kMonthsBack = 12;

private:
    QHash<QString, QDateTime> earlierSuccesses(const QDate& month, QSet<QString> wanted,
                                               const std::function<bool()>& stopped);
    QHash<QString, QDateTime> successesOf(const QDate& month, const std::function<bool()>& stopped);

    QString m_bookPath;
    QString m_root;
    QHash<QDate, QHash<QString, QDateTime>> m_earlier;
};
