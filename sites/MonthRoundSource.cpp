#include "sites/MonthRoundSource.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "archive/UnknownCallers.h"
#include "sites/MonthRoundCallers.h"
#include "res/Texts.h"
#include "sites/SiteBook.h"
#include "store/ArchiveOutbox.h"
#include "store/StoreConnection.h"
#include "store/StoreExchanges.h"
#include "store/StoreListener.h"

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

// Short, as the window's reading waits on it; a store that answers late is told as down.
constexpr int kStoreTimeoutMs = 3000;

QString exchangeKey(const ExchangeRecord& r) {
    return r.site + QChar(0) + r.port + QChar(0) + QString::number(r.start.toMSecsSinceEpoch());
}

}  // namespace

MonthRoundSource::MonthRoundSource(QString bookPath, QString archiveRoot, StoreAddress store)
    : m_bookPath(std::move(bookPath)),
      m_root(std::move(archiveRoot)),
      m_history(m_root),
      m_store(std::move(store)) {
    if (m_store.configured())
        m_connection = std::make_unique<StoreConnection>(m_store, kStoreTimeoutMs);
}

MonthRoundSource::~MonthRoundSource() = default;

void MonthRoundSource::listen(std::function<void()> heard) {
    if (m_store.configured()) m_listener = std::make_unique<StoreListener>(m_store, std::move(heard));
}

void MonthRoundSource::stopListening() {
    m_listener.reset();
}

void MonthRoundSource::merge(QList<ExchangeRecord>& local, const QList<ExchangeRecord>& store) {
    QSet<QString> known;
    for (const ExchangeRecord& r : local) known.insert(exchangeKey(r));
    for (const ExchangeRecord& r : store)
        if (!known.contains(exchangeKey(r))) local.append(r);
}

QString MonthRoundSource::storeLine(const Loaded& loaded) {
    if (!loaded.withStore) return {};
    QStringList lines;
    if (!loaded.storeProblem.isEmpty())
        lines.append(texts::kStoreMonthLocalOnly.arg(loaded.storeProblem));
    lines.append(loaded.formsUnsent || loaded.recordsUnsent
                     ? texts::kStoreBacklog.arg(loaded.formsUnsent).arg(loaded.recordsUnsent)
                     : texts::kStoreAllSent);
    return lines.join(u'\n');
}

// The month's records of every machine, and how much of this archive the store lacks still.
void MonthRoundSource::readStore(const QDate& month, QList<ExchangeRecord>& records,
                                 Loaded& loaded) {
    loaded.withStore = true;
    const ArchiveOutbox::Backlog backlog = ArchiveOutbox::backlog(m_root);
    loaded.formsUnsent = backlog.forms;
    loaded.recordsUnsent = backlog.records;
    // A connection not made is told with why (a password, no answer), not as merely missing.
    const bool open = m_connection->isOpen() || m_connection->open();
    const auto stored = open ? StoreExchanges::readMonth(*m_connection, month) : std::nullopt;
    if (!stored) {
        loaded.storeProblem = m_connection->message();
        m_connection->close();
        return;
    }
    merge(records, *stored);
}

MonthRoundSource::Loaded MonthRoundSource::load(const QDate& month,
                                                const std::function<bool()>& stopped) {
    Loaded loaded;
    const SiteBook::Loaded book = SiteBook::load(m_bookPath);
    loaded.bookProblem = book.problem;
    QList<ExchangeRecord> records =
        ExchangeRecords::readMonth(m_root, month, &loaded.unreadable, stopped);
    if (m_connection) readStore(month, records, loaded);

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
