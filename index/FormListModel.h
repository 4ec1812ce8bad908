#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <vector>

#include "index/FormQuery.h"

class IndexDatabase;

// The forms of a part of the archive, or the hits of a search, over the index: rows are read
// a batch at a time as the view asks for more, so a list of 100,000 forms costs what is seen.
class FormListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Received, Site, Port, Type, FirstLine, Size, ColumnCount };
    enum Role {
        PathRole = Qt::UserRole,  // the file's full path
        ExcerptRole,              // the line a search found, with
        ExcerptStartRole,         // the place in it
        ExcerptLengthRole,
        UnreadableRole,  // the error of a file that could not be read
    };
    static constexpr int kBatch = 100;

    FormListModel(IndexDatabase& db, QString root, QObject* parent = nullptr);
    ~FormListModel() override;

    // Lists anew; the first batch is read at once.
    void show(const QString& search, const FormQuery::Scope& scope);
    void refresh();  // the same again, after the index changed
    bool isSearch() const { return m_query && m_query->isSearch(); }
    bool failed() const { return m_query && m_query->failed(); }
    QString pathAt(int row) const;
    int rowOf(const QString& path) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // A batch was read, or the end found: the counts shown may have changed.
    void fetched();

private:
    QVariant display(const FormQuery::Row& row, int column) const;

    IndexDatabase& m_db;
    QString m_root;
    QString m_search;
    FormQuery::Scope m_scope;
    std::unique_ptr<FormQuery> m_query;
    std::vector<FormQuery::Row> m_rows;
};
