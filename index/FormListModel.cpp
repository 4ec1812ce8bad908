#include "index/FormListModel.h"

#include <QBrush>
#include <QDir>
#include <QLocale>
#include <QtConcurrent/QtConcurrentRun>
#include <mutex>

#include "index/IndexDatabase.h"
#include "index/StoreHits.h"
#include "res/Texts.h"
#include "store/StoreSearch.h"

namespace {

// A store that does not answer within this long leaves the search to the index.
constexpr int kStoreTimeoutMs = 3000;

}  // namespace

// Connecting and preparing cost more than a search: one connection serves every search of the
// list, one search at a time (a search dropped for a newer one cannot be stopped in the store).
struct FormListModel::StoreSession {
    explicit StoreSession(StoreAddress address) : search(std::move(address), kStoreTimeoutMs) {}
    std::mutex lock;
    StoreSearch search;
};

// Used by one worker at a time: a list reads its next batch only once the last has come.
struct FormListModel::Source {
    IndexDatabase db;
    std::optional<FormQuery> query;
};

FormListModel::FormListModel(QString root, QObject* parent)
    : QAbstractTableModel(parent),
      m_root(std::move(root)),
      m_reading(new QFutureWatcher<Batch>(this)) {
    connect(m_reading, &QFutureWatcherBase::finished, this, &FormListModel::onRead);
}

FormListModel::~FormListModel() {
    if (m_stop) m_stop->store(true);
}

void FormListModel::setIndexFile(const QString& indexFile) {
    m_indexFile = indexFile;
    if (m_stop) m_stop->store(true);
    ++m_generation;
    m_busy = false;
    beginResetModel();
    m_source.reset();
    m_rows.clear();
    m_atEnd = true;
    m_failed = false;
    endResetModel();
}

void FormListModel::setStore(StoreAddress store) {
    m_store = store.configured() ? std::make_shared<StoreSession>(std::move(store)) : nullptr;
}

void FormListModel::show(const QString& search, const FormQuery::Scope& scope) {
    m_search = search;
    m_scope = scope;
    if (m_indexFile.isEmpty()) return;
    ++m_generation;
    auto store = isSearch() ? m_store : nullptr;
    startReading([generation = m_generation, file = m_indexFile, search, scope,
                  store](const std::atomic<bool>& stop) {
        QString storeFailure;
        if (store) {
            Batch found = searchStore(generation, *store, search, scope);
            if (found.storeFailure.isEmpty()) return found;
            storeFailure = found.storeFailure;
        }
        auto source = std::make_shared<Source>();
        if (!source->db.openToRead(file)) {
            qWarning("Archive index %s: %s", qUtf8Printable(file),
                     qUtf8Printable(source->db.error()));
            return Batch{generation, true, nullptr, {}, true, true};
        }
        source->query.emplace(source->db, search, scope);
        Batch batch = read(generation, true, std::move(source), stop);
        batch.storeFailure = storeFailure;
        return batch;
    });
}

// The first hits of every machine, all there are to show: the store is not read further.
FormListModel::Batch FormListModel::searchStore(quint64 generation, StoreSession& session,
                                                const QString& search,
                                                const FormQuery::Scope& scope) {
    const std::lock_guard<std::mutex> one(session.lock);
    Batch batch{generation, true, nullptr, {}, true, false};
    auto hits = StoreHits::find(session.search, search, scope);
    if (!hits) {
        batch.storeFailure = session.search.failure();
        qWarning("Common archive search: %s", qUtf8Printable(batch.storeFailure));
        return batch;
    }
    for (StoreHits::Hit& hit : *hits) {
        hit.row.storeText = std::move(hit.form.text);
        batch.rows.push_back(std::move(hit.row));
    }
    return batch;
}

FormListModel::Batch FormListModel::read(quint64 generation, bool first,
                                         std::shared_ptr<Source> source,
                                         const std::atomic<bool>& stop) {
    Batch batch{generation, first, source, source->query->fetch(kBatch, &stop), true, false};
    batch.atEnd = source->query->atEnd();
    batch.failed = source->query->failed();
    return batch;
}

void FormListModel::startReading(std::function<Batch(const std::atomic<bool>& stop)> work) {
    if (m_stop) m_stop->store(true);  // the batch under way is of no more use
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_busy = true;
    m_reading->setFuture(QtConcurrent::run([work = std::move(work), stop = m_stop] {
        return work(*stop);
    }));
}

void FormListModel::onRead() {
    const QFuture<Batch> future = m_reading->future();
    if (future.resultCount() == 0) return;
    Batch batch = future.result();
    if (batch.generation != m_generation) return;
    m_busy = false;
    m_atEnd = batch.atEnd;
    m_failed = batch.failed;
    if (batch.first) m_storeFailure = batch.storeFailure;
    if (batch.first) {
        beginResetModel();
        m_source = std::move(batch.source);
        m_rows = std::move(batch.rows);
        endResetModel();
    } else if (!batch.rows.empty()) {
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + batch.rows.size()) - 1);
        std::move(batch.rows.begin(), batch.rows.end(), std::back_inserter(m_rows));
        endInsertRows();
    }
    emit fetched();
}

void FormListModel::refresh() {
    show(m_search, m_scope);
}

QString FormListModel::pathAt(int row) const {
    if (row < 0 || row >= int(m_rows.size())) return {};
    return QDir(m_root).filePath(m_rows[row].form.path);
}

QString FormListModel::storeTextAt(int row) const {
    return row < 0 || row >= int(m_rows.size()) ? QString() : m_rows[row].storeText;
}

int FormListModel::rowOf(const QString& path) const {
    for (int row = 0; row < int(m_rows.size()); ++row)
        if (pathAt(row) == path) return row;
    return -1;
}

int FormListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FormListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FormListModel::display(const FormQuery::Row& row, int column) const {
    const FormRecord& f = row.form;
    switch (column) {
        case Received:
            return f.received.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
        case Site:
            return f.site;
        case Port:
            return f.port;
        case Type:
            return f.type;
        case FirstLine:
            return f.error.isEmpty() ? f.firstLine : texts::kArchiveUnreadable.arg(f.error);
        case Size:
            return QLocale().toString(f.size);
    }
    return {};
}

QVariant FormListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size())) return {};
    const FormQuery::Row& row = m_rows[index.row()];
    switch (role) {
        case Qt::DisplayRole:
            return display(row, index.column());
        case Qt::ToolTipRole:
            return index.column() == FirstLine ? QVariant(pathAt(index.row())) : QVariant();
        case Qt::TextAlignmentRole:
            return index.column() == Size ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                          : QVariant();
        case Qt::ForegroundRole:
            return row.form.error.isEmpty() ? QVariant() : QVariant(QBrush(Qt::darkRed));
        case PathRole:
            return pathAt(index.row());
        case ExcerptRole:
            return row.excerpt.start < 0 ? QVariant() : QVariant(row.excerpt.line);
        case ExcerptStartRole:
            return qlonglong(row.excerpt.start);
        case ExcerptLengthRole:
            return qlonglong(row.excerpt.length);
        case UnreadableRole:
            return row.form.error;
        case RelativePathRole:
            return row.form.path;
    }
    return {};
}

QVariant FormListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case Received:
            return texts::kArchiveColumnReceived;
        case Site:
            return texts::kColumnSite;
        case Port:
            return texts::kColumnPort;
        case Type:
            return texts::kColumnType;
        case FirstLine:
            return texts::kArchiveColumnFirstLine;
        case Size:
            return texts::kArchiveColumnSize;
    }
    return {};
}

void FormListModel::readMore() {
    if (!hasMore() || m_busy) return;
    startReading([generation = m_generation, source = m_source](const std::atomic<bool>& stop) {
        return read(generation, false, source, stop);
    });
}
