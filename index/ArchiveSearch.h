#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "index/FormQuery.h"
#include "store/StoreAddress.h"

class ArchiveIndex;
class FormListModel;
class HitDelegate;
class QLineEdit;
class QTimer;
class QTreeView;

// The list half of "Архив форм": the search field, the list of forms of the part of the archive
// chosen, and the search that narrows it as one types. The query is made once typing pauses
// and read on the list's worker ("Поиск…" meanwhile, an answer for an older query dropped);
// rows come a batch at a time as the operator scrolls. The window lays out the two widgets,
// chooses the part and tells when the index changed; the list says what its count line reads.
class ArchiveSearch : public QObject {
    Q_OBJECT
public:
    // `index` is the window's and outlives the list.
    ArchiveSearch(const QString& root, ArchiveIndex& index, QObject* parent = nullptr);

    QLineEdit* field() const { return m_field; }
    QTreeView* view() const { return m_view; }
    const FormQuery::Scope& scope() const { return m_scope; }

    // Lists the forms of `scope`, with what is typed.
    void showScope(const FormQuery::Scope& scope);
    // The next showing lists the forms of `scope`, the search cleared.
    void resetTo(const FormQuery::Scope& scope);
    // Lists anew from what is typed; relist keeps the form chosen chosen.
    void showList();
    void relist();
    // The common archive a search looks in first; not configured for none.
    void setStore(const StoreAddress& store);
    // The index was opened, replaced or moved into memory: the list reads the new one, and
    // the search is offered only where it can run.
    void indexChanged();
    // Forms came into the index: a list still filling shows them, a full one only counts them.
    void indexGrew();
    // Whether a batch of the list is being read.
    bool isListing() const;
    // The count line, the index open: the forms listed or the hits found.
    QString countText() const;

signals:
    void countsChanged();
    // The operator chose a form to open: its full path.
    void formOpened(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildField();
    void buildView();
    void onListed();
    void openRow(int row);
    QString storeCopy(int row, const QString& text);
    QString listedText() const;
    void countBrowsed();
    bool enterPressed();

    ArchiveIndex& m_index;
    FormQuery::Scope m_scope;
    // The forms of the part of the archive listed, when not searching; none when the index
    // could not count them.
    std::optional<qint64> m_browsed = 0;
    QString m_chosen;               // the form to choose again once the list is read anew
    bool m_openWhenListed = false;  // Enter pressed before the list of what was typed came

    FormListModel* m_list = nullptr;
    HitDelegate* m_delegate = nullptr;
    QLineEdit* m_field = nullptr;
    QTreeView* m_view = nullptr;
    QTimer* m_typing = nullptr;
};
