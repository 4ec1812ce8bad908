#pragma once

#include <QDate>
#include <QMainWindow>
#include <QString>
#include <optional>

#include "index/ArchiveIndex.h"
#include "index/IndexUpdater.h"

class ArchiveFollower;
class ArchiveSearch;
class ArchiveTreeModel;
class QLabel;
class QProgressBar;
class QTreeView;

// "Архив форм": the archive as a tree of sites and months, the list of forms of the part
// chosen, and a search over the text of every form that narrows the list as one types
// (ArchiveSearch). Each time it is shown it brings the index in line with the files, in the
// background, and while it is open it follows what other programs write into the archive
// (ArchiveFollower). Where the index is kept and what is said of it is ArchiveIndex's. A form
// is opened by Enter or a double click, through formOpened.
class ArchiveWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ArchiveWindow(QString root, QWidget* parent = nullptr);
    ~ArchiveWindow() override;

    QString root() const { return m_root; }
    // Shows the window over the whole archive and brings its index up to date.
    void showArchive();
    // Looks at the archive again when shown, without coming to the front: after an exchange
    // has written forms into it.
    void refresh();
    // Shows the forms of `site` ("" for the forms without one) received in the month of
    // `month`, the search cleared.
    void showForms(const QString& site, const QDate& month);
    // Whether the index is being brought up to date.
    bool isUpdating() const;
    // Whether the list is being read.
    bool isListing() const;

signals:
    // The operator chose a form to open: its full path.
    void formOpened(const QString& path);

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildWidgets();
    void buildTree();
    void buildStatusBar();
    void present();
    void openIndex();
    void startUpdate(IndexUpdater::Look look);
    void fillTree();
    void updateCounts();
    void onProgress(qsizetype done, qsizetype total);
    void onUpdated(const IndexUpdater::Result& result);

    QString m_root;
    ArchiveIndex m_index;
    bool m_mustRelist = false;  // the index was told of forms behind the updater's back
    std::optional<IndexUpdater::Look> m_pending;  // a look asked for while one runs

    ArchiveSearch* m_forms = nullptr;
    ArchiveTreeModel* m_tree = nullptr;
    IndexUpdater* m_updater = nullptr;
    ArchiveFollower* m_follower = nullptr;
    QTreeView* m_treeView = nullptr;
    QLabel* m_count = nullptr;
    QProgressBar* m_progress = nullptr;
};
