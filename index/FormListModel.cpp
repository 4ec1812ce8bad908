#include "index/FormListModel.h"

#include <QBrush>
#include <QDir>
#include <QLocale>

#include "index/IndexDatabase.h"
#include "res/Texts.h"

FormListModel::FormListModel(IndexDatabase& db, QString root, QObject* parent)
    : QAbstractTableModel(parent), m_db(db), m_root(std::move(root)) {}

FormListModel::~FormListModel() = default;

void FormListModel::show(const QString& search, const FormQuery::Scope& scope) {
    beginResetModel();
    m_search = search;
    m_scope = scope;
    m_query.reset();  // its statement goes before another is made
    m_query = std::make_unique<FormQuery>(m_db, search, scope);
    m_rows = m_query->fetch(kBatch);
    endResetModel();
}

void FormListModel::refresh() {
    show(m_search, m_scope);
}

QString FormListModel::pathAt(int row) const {
    if (row < 0 || row >= int(m_rows.size())) return {};
    return QDir(m_root).filePath(m_rows[row].form.path);
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
    }
    return {};
}

QVariant FormListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case Received:
            return texts::kArchiveColumnReceived;
        case Site:
            return texts::kArchiveColumnSite;
        case Port:
            return texts::kArchiveColumnPort;
        case Type:
            return texts::kArchiveColumnType;
        case FirstLine:
            return texts::kArchiveColumnFirstLine;
        case Size:
            return texts::kArchiveColumnSize;
    }
    return {};
}

bool FormListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_query && !m_query->atEnd();
}

void FormListModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || !m_query) return;
    std::vector<FormQuery::Row> more = m_query->fetch(kBatch);
    if (!more.empty()) {
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + more.size()) - 1);
        std::move(more.begin(), more.end(), std::back_inserter(m_rows));
        endInsertRows();
    }
    emit fetched();
}
