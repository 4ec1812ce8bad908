#pragma once

#include <QAbstractTableModel>
#include <QFutureWatcher>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "index/FormQuery.h"
#include "store/StoreAddress.h"

// The forms of a part of the archive, or the hits of a search, over the index: rows are read
// a batch at a time as the view asks for more, so a list of 100,000 forms costs what is seen.
// Each batch is read on a worker thread with a connection of the list's own: a search that no
// trigram narrows reads every text, and the window goes on meanwhile. Only the batch of the
// list asked for last is shown; one asked for before it is stopped and dropped.
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
        RelativePathRole,  // the file's path below the archive
    };
    static constexpr int kBatch = 100;

    explicit FormListModel(QString root, QObject* parent = nullptr);
    ~FormListModel() override;

    // The index the list reads, "" for none: the list is emptied.
    void setIndexFile(const QString& indexFile);
    // The common archive a search looks in first, across every machine; not configured for
    // none. A store that cannot be searched leaves the search to the index.
    void setStore(StoreAddress store);
    // Why the last search read the index in place of the store; empty when it did not.
    QString storeFailure() const { return m_storeFailure; }
    // Lists anew: the first batch comes with `fetched`, the rows shown until then stay.
    void show(const QString& search, const FormQuery::Scope& scope);
    void refresh();  // the same again, after the index changed
    // Whether a batch is being read.
    bool isBusy() const { return m_busy; }
    bool isSearch() const { return !m_search.trimmed().isEmpty(); }
    bool failed() const { return m_failed; }
    // Whether rows are left to read, and the next batch of them read. Asked for by the window
    // as the operator scrolls to the end, not by the view: a view asks for more each time it
    // lays out rows, which with batches that come later would read the whole list.
    bool hasMore() const { return m_source && !m_atEnd; }
    void readMore();
    QString pathAt(int row) const;
    // The text of a form found in the common archive; empty for one of the index.
    QString storeTextAt(int row) const;
    int rowOf(const QString& path) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // A batch was read, or the end found: the counts shown may have changed.
    void fetched();

private:
    struct Source;  // a query with the connection it reads
    struct Batch {
        quint64 generation = 0;
        bool first = true;  // of a list anew: replaces the rows rather than adding to them
        std::shared_ptr<Source> source;
        std::vector<FormQuery::Row> rows;
        bool atEnd = true;
        bool failed = false;
        QString storeFailure;
    };
    struct StoreSession;  // the store's connection, kept from one search to the next
    static Batch searchStore(quint64 generation, StoreSession& session, const QString& search,
                             const FormQuery::Scope& scope);
    static Batch read(quint64 generation, bool first, std::shared_ptr<Source> source,
                      const std::atomic<bool>& stop);
    void startReading(std::function<Batch(const std::atomic<bool>& stop)> work);
    void onRead();
    QVariant display(const FormQuery::Row& row, int column) const;

    QString m_root;
    QString m_indexFile;
    QString m_search;
    FormQuery::Scope m_scope;
    std::shared_ptr<StoreSession> m_store;  // none without a store
    QString m_storeFailure;
    std::shared_ptr<Source> m_source;
    std::vector<FormQuery::Row> m_rows;
    bool m_atEnd = true;
    bool m_failed = false;
    bool m_busy = false;
    // Raised by each new list: a batch read for an older one is dropped.
    quint64 m_generation = 0;
    std::shared_ptr<std::atomic<bool>> m_stop;
    QFutureWatcher<Batch>* m_reading;
};
