#include "sites/MonthRoundSource.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "archive/UnknownCallers.h"
#include "sites/MonthRoundCallers.h"
#include "sites/SiteBook.h"

namespace {

// `path`, or the nearest folder above it that exists; `path` itself when none does.
QString nearestFolder(const QString& path) {
    QString folder = QDir::cleanPath(path);
    while (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder) return QDir::cleanPath(path);
        folder = parent;
    }
    return folder;
}

}  // namespace

MonthRoundSource::MonthRoundSource(QString bookPath, QString archiveRoot)
    : m_bookPath(std::move(bookPath)), m_root(std::move(archiveRoot)), m_history(m_root) {}

MonthRoundSource::Loaded MonthRoundSource::load(const QDate& month,
                                                const std::function<bool()>& stopped) {
    Loaded loaded;
    const SiteBook::Loaded book = SiteBook::load(m_bookPath);
    loaded.bookProblem = book.problem;
    const QList<ExchangeRecord> records =
        ExchangeRecords::readMonth(m_root, month, &loaded.unreadable, stopped);

    QSet<QString> wanted;
    for (const Site& site : book.sites) wanted.insert(site.name);
    for (const ExchangeRecord& r : records) wanted.insert(r.site);
    loaded.rows = MonthRound::rows(book.sites, records,
                                   m_history.lastExchanges(month, records, wanted, stopped));
    loaded.callers = MonthRound::callerLines(UnknownCallers::readMonth(m_root, month));
    return loaded;
}

MonthRoundSource::Folders MonthRoundSource::folders(const QDate& month, const QDate& newest) const {
    Folders found;
    const QString folder = nearestFolder(ExchangeRecords::monthFolder(m_root, month));
    if (QFileInfo(folder).isDir()) found.watched.append(folder);
    if (QFileInfo(m_bookPath).isFile()) found.watched.append(m_bookPath);
    if (const QString callers = UnknownCallers::filePath(m_root, month);
        QFileInfo(callers).isFile())
        found.watched.append(callers);
    found.months = offeredMonths(newest);
    return found;
}

QList<QDate> MonthRoundSource::offeredMonths(const QDate& newest) const {
    QDate oldest = newest.addMonths(-SiteHistory::kMonthsBack);
    const QDir records(QFileInfo(ExchangeRecords::monthFolder(m_root, newest)).path());
    for (const QString& name : records.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDate month = QDate::fromString(name + QStringLiteral("-01"), Qt::ISODate);
        if (month.isValid() && month < oldest) oldest = month;
    }
    QList<QDate> months;
    for (QDate m = newest; m >= oldest; m = m.addMonths(-1)) months.append(m);
    return months;
}
