#include "index/ArchiveWindow.h"

#include <QDir>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <utility>

#include "index/ArchiveFollower.h"
#include "index/ArchiveTreeModel.h"
#include "index/FormListModel.h"
#include "index/HitDelegate.h"
#include "res/Texts.h"

namespace {

// Long enough that a word typed at speed is searched once, short enough to feel immediate.
constexpr int kTypingPauseMs = 150;

}  // namespace

ArchiveWindow::ArchiveWindow(QString root, QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_root(std::move(root)), m_index(m_root) {
    setObjectName(QStringLiteral("ArchiveWindow"));
    setWindowTitle(texts::kArchiveWindowTitle);
    buildWidgets();
    m_updater = new IndexUpdater(this);
    connect(m_updater, &IndexUpdater::progress, this, &ArchiveWindow::onProgress);
    connect(m_updater, &IndexUpdater::finished, this, &ArchiveWindow::onUpdated);
    m_follower = new ArchiveFollower(this);
    connect(m_follower, &ArchiveFollower::lookAgain, this,
            [this] { startUpdate(IndexUpdater::Look::Quick); });
    resize(1000, 640);
}

ArchiveWindow::~ArchiveWindow() {
    // The look under way ends on the index's writer by itself: nothing is waited for.
    m_updater->stop();
}

void ArchiveWindow::buildWidgets() {
    buildSearch();
    buildTree();
    buildList();
    auto* split = new QSplitter;
    split->addWidget(m_treeView);
    split->addWidget(m_listView);
    split->setStretchFactor(1, 1);
    split->setSizes({220, 780});
    auto* centre = new QWidget;
    auto* layout = new QVBoxLayout(centre);
    layout->addWidget(m_search);
    layout->addWidget(split, 1);
    setCentralWidget(centre);
    buildStatusBar();
}

void ArchiveWindow::buildSearch() {
    m_search = new QLineEdit;
    m_search->setObjectName(QStringLiteral("ArchiveSearch"));
    m_search->setPlaceholderText(texts::kArchiveSearchHint);
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    m_typing = new QTimer(this);
    m_typing->setSingleShot(true);
    m_typing->setInterval(kTypingPauseMs);
    connect(m_typing, &QTimer::timeout, this, &ArchiveWindow::showList);
    connect(m_search, &QLineEdit::textEdited, m_typing, qOverload<>(&QTimer::start));
}

void ArchiveWindow::buildTree() {
    m_tree = new ArchiveTreeModel(this);
    m_treeView = new QTreeView;
    m_treeView->setObjectName(QStringLiteral("ArchiveTree"));
    m_treeView->setModel(m_tree);
    m_treeView->setHeaderHidden(true);
    m_treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_treeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                m_scope = m_tree->scopeOf(current);
                showList();
            });
}

void ArchiveWindow::buildList() {
    m_list = new FormListModel(m_root, this);
    m_delegate = new HitDelegate(this);
    m_listView = new QTreeView;
    m_listView->setObjectName(QStringLiteral("ArchiveForms"));
    m_listView->setRootIsDecorated(false);
    m_listView->setUniformRowHeights(true);
    m_listView->setAllColumnsShowFocus(true);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView->setModel(m_list);
    m_listView->setItemDelegate(m_delegate);
    QHeaderView* header = m_listView->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(FormListModel::FirstLine, QHeaderView::Stretch);
    for (int c : {FormListModel::Received, FormListModel::Site, FormListModel::Port,
                  FormListModel::Type, FormListModel::Size})
        header->resizeSection(c, c == FormListModel::Received ? 150 : 100);
    connect(m_list, &FormListModel::fetched, this, &ArchiveWindow::updateCounts);
    connect(m_list, &QAbstractItemModel::modelReset, this, &ArchiveWindow::onListed);
    // The next batch once the operator has scrolled to the end of the rows read.
    connect(m_listView->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value == m_listView->verticalScrollBar()->maximum()) m_list->readMore();
    });
    connect(m_listView, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { openRow(index.row()); });
}

void ArchiveWindow::buildStatusBar() {
    m_count = new QLabel;
    m_progress = new QProgressBar;
    // Wide enough for its text with the counts of an archive of years, which a narrower bar
    // would wrap into two cut lines.
    const QString widest = texts::kArchiveIndexing.arg(9999999).arg(9999999);
    m_progress->setMinimumWidth(m_progress->fontMetrics().horizontalAdvance(widest) + 32);
    m_progress->hide();
    statusBar()->addWidget(m_count, 1);
    statusBar()->addPermanentWidget(m_progress);
}

bool ArchiveWindow::isUpdating() const {
    return m_updater->isRunning();
}

bool ArchiveWindow::isListing() const {
    return m_list->isBusy();
}

void ArchiveWindow::showArchive() {
    present();
    m_search->setFocus();
}

void ArchiveWindow::showForms(const QString& site, const QDate& month) {
    m_search->clear();
    m_scope = {site, month.isValid() ? std::optional(month.toString(u"yyyy-MM")) : std::nullopt};
    present();
    // The scope stays as asked even while the tree shows only the site or the whole archive:
    // the update under way may bring the month, and the tree is chosen again when it ends.
    {
        const QSignalBlocker quiet(m_treeView->selectionModel());
        m_treeView->setCurrentIndex(m_tree->find(m_scope));
    }
    showList();
    m_listView->setFocus();
}

void ArchiveWindow::refresh() {
    if (!isVisible() || !m_index.isOpen()) return;
    // The forms are in the index already (IndexFeed): the look finds nothing new to tell.
    m_mustRelist = true;
    startUpdate(IndexUpdater::Look::Quick);
}

void ArchiveWindow::present() {
    show();
    raise();
    activateWindow();
    m_index.startShowing();
    indexChanged();
    if (!m_index.isOpen()) openIndex();
    startUpdate(IndexUpdater::Look::Whole);
}

void ArchiveWindow::openIndex() {
    if (!m_index.open()) {
        updateCounts();
        return;
    }
    indexChanged();
    fillTree();
    showList();
}

void ArchiveWindow::indexChanged() {
    m_list->setIndexFile(m_index.isOpen() ? m_index.file() : QString());
    const bool searchable = m_index.searchable();
    if (!searchable) m_search->clear();
    m_search->setEnabled(searchable);
    m_search->setPlaceholderText(searchable ? texts::kArchiveSearchHint
                                            : texts::kArchiveSearchUnavailable);
}

void ArchiveWindow::startUpdate(IndexUpdater::Look look) {
    if (!m_index.isOpen()) return;
    if (m_updater->isRunning()) {
        // The look under way may have passed the change already: one more when it ends.
        if (!m_pending || look == IndexUpdater::Look::Whole) m_pending = look;
        return;
    }
    // A look while the window is open shows its bar only when it finds forms to read.
    if (look == IndexUpdater::Look::Whole) {
        m_progress->setRange(0, 0);
        m_progress->show();
    }
    m_updater->start(m_root, m_index.file(), look);
}

void ArchiveWindow::fillTree() {
    if (!m_index.isOpen()) return;
    const QSignalBlocker quiet(m_treeView->selectionModel());
    m_tree->fill(m_index.db().scopes(), m_index.db().formCount().value_or(0));
    m_treeView->expandToDepth(0);
    m_treeView->setCurrentIndex(m_tree->find(m_scope));
}

void ArchiveWindow::showList() {
    m_typing->stop();
    m_chosen.clear();
    m_list->show(m_search->text(), m_scope);
    countBrowsed();
    updateCounts();
}

void ArchiveWindow::relist() {
    const QString current = m_list->pathAt(m_listView->currentIndex().row());
    showList();
    m_chosen = current;
}

void ArchiveWindow::onListed() {
    m_delegate->setTwoLines(m_list->isSearch());
    const int row = std::max(m_list->rowOf(std::exchange(m_chosen, QString())), 0);
    if (row < m_list->rowCount()) m_listView->setCurrentIndex(m_list->index(row, 0));
    if (std::exchange(m_openWhenListed, false)) openRow(row);
    updateCounts();
}

void ArchiveWindow::updateCounts() {
    const int rows = m_list->rowCount();
    const bool more = m_list->hasMore();
    QString count;
    if (!m_index.isOpen())
        count = m_index.note();
    else if (m_list->isSearch() && m_list->isBusy())
        count = texts::kArchiveSearching;
    else if (!m_list->isSearch())
        count = m_browsed ? texts::kArchiveForms.arg(*m_browsed) : texts::kArchiveFormsUncounted;
    else if (rows == 0)
        count = texts::kArchiveNoHits;
    else
        count = (more ? texts::kArchiveHitsMore : texts::kArchiveHits).arg(rows);
    if (m_index.isOpen() && !m_index.note().isEmpty())
        count += QStringLiteral("  —  ") + m_index.note();
    m_count->setText(count);
}

void ArchiveWindow::openRow(int row) {
    const QString path = m_list->pathAt(row);
    if (!path.isEmpty()) emit formOpened(path);
}

bool ArchiveWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (m_typing->isActive()) showList();  // what was typed, not what was shown before
            // The form is opened once the list of what was typed is read.
            if (m_list->isBusy()) {
                m_openWhenListed = true;
                return true;
            }
            openRow(m_listView->currentIndex().isValid() ? m_listView->currentIndex().row() : 0);
            return true;
        }
        if (key == Qt::Key_Down || key == Qt::Key_PageDown) {
            m_listView->setFocus();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void ArchiveWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // The operator coming back to the window sees what came meanwhile where no watch could tell
    // (a share's file system, a month long past restored): a look at the names, no clock.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_index.isOpen() &&
        !m_updater->isRunning())
        startUpdate(IndexUpdater::Look::Quick);
}

void ArchiveWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    if (event->spontaneous()) return;  // minimised: still open
    m_follower->stop();
    m_pending.reset();
}

void ArchiveWindow::onProgress(qsizetype done, qsizetype total) {
    if (total == 0) return;  // nothing to read
    m_progress->show();
    m_progress->setRange(0, int(total));
    m_progress->setValue(int(done));
    m_progress->setFormat(texts::kArchiveIndexing.arg(done).arg(total));
    m_progress->setTextVisible(true);
    fillTree();
    // A list still filling shows the forms as they come; a full one is left where it was read,
    // and only its count follows.
    if (m_list->rowCount() < FormListModel::kBatch && !m_typing->isActive()) {
        relist();
        return;
    }
    countBrowsed();
    updateCounts();
}

void ArchiveWindow::countBrowsed() {
    m_browsed =
        m_index.isOpen() && !m_list->isSearch() ? FormQuery::count(m_index.db(), m_scope) : 0;
    if (!m_browsed) qWarning("Archive index: %s", qUtf8Printable(m_index.db().error()));
}

void ArchiveWindow::onUpdated(const IndexUpdater::Result& result) {
    m_progress->hide();
    bool relisted = std::exchange(m_mustRelist, false) || result.changes > 0;
    if (result.rebuilt) {
        m_index.reopenRebuilt();
        indexChanged();
        relisted = true;
    }
    if (!result.failure.isEmpty() && !m_index.inMemory()) {
        m_index.keepInMemory(result.failure);
        indexChanged();
        fillTree();
        showList();
        startUpdate(IndexUpdater::Look::Whole);
        return;
    }
    if (!result.failure.isEmpty()) {
        qWarning("Archive index in memory: %s", qUtf8Printable(result.failure));
        relisted = true;
    } else if (m_index.rebuildDone()) {
        relisted = true;
    }
    if (isVisible()) m_follower->follow(result.watch, result.notifies, result.changes);
    if (relisted) {
        fillTree();
        relist();
    } else {
        updateCounts();
    }
    if (m_pending) startUpdate(*std::exchange(m_pending, std::nullopt));
}
