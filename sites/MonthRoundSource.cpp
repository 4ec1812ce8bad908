#include "sites/MonthRoundSource.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

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
    : m_bookPath(std::move(bookPath)), m_root(std::move(archiveRoot)) {}

MonthRoundSource::Loaded MonthRoundSource::load(const QDate& month,
                                                const std::function<bool()>& stopped) {
    Loaded loaded;
    const SiteBook::Loaded book = SiteBook::load(m_bookPath);
    loaded.bookProblem = book.problem;
    const QList<ExchangeRecord> records =
        ExchangeRecords::readMonth(m_root, month, &loaded.unreadable, stopped);

    // Only the sites without a success this month need the months before it.
    const QHash<QString, QDateTime> collected = MonthRound::latestSuccesses(records);
    QSet<QString> wanted;
    for (const Site& site : book.sites) wanted.insert(site.name);
    for (const ExchangeRecord& r : records) wanted.insert(r.site);
    for (auto it = collected.cbegin(); it != collected.cend(); ++it) wanted.remove(it.key());
    loaded.rows = MonthRound::rows(book.sites, records, earlierSuccesses(month, wanted, stopped));
    return loaded;
}

QHash<QString, QDateTime> MonthRoundSource::earlierSuccesses(
    const QDate& month, QSet<QString> wanted, const std::function<bool()>& stopped) {
    QHash<QString, QDateTime> found;
    const QDate first(month.year(), month.month(), 1);
    for (int back = 1; back <= kMonthsBack && !wanted.isEmpty(); ++back) {
        const QHash<QString, QDateTime> successes = successesOf(first.addMonths(-back), stopped);
        for (auto it = wanted.begin(); it != wanted.end();) {
            const auto at = successes.constFind(*it);
            if (at == successes.cend()) {
                ++it;
                continue;
            }
            found.insert(*it, *at);
            it = wanted.erase(it);
        }
    }
    return found;
}

QHash<QString, QDateTime> MonthRoundSource::successesOf(const QDate& month,
                                                        const std::function<bool()>& stopped) {
    if (const auto it = m_earlier.constFind(month); it != m_earlier.cend()) return *it;
    const QHash<QString, QDateTime> successes =
        MonthRound::latestSuccesses(ExchangeRecords::readMonth(m_root, month, nullptr, stopped));
    // A month read only in part is no month to keep.
    if (!stopped || !stopped()) m_earlier.insert(month, successes);
    return successes;
}

QStringList MonthRoundSource::watchedPaths(const QDate& month) const {
    QStringList paths;
    const QString folder = nearestFolder(ExchangeRecords::monthFolder(m_root, month));
    if (QFileInfo(folder).isDir()) paths.append(folder);
    if (QFileInfo(m_bookPath).isFile()) paths.append(m_bookPath);
    return paths;
}

