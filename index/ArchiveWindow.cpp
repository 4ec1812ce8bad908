#include "index/ArchiveWindow.h"

#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <utility>

#include "index/ArchiveFollower.h"
#include "index/ArchiveSearch.h"
#include "index/ArchiveTreeModel.h"
#include "res/Texts.h"
#include "store/StoreAddress.h"

ArchiveWindow::ArchiveWindow(QString root, QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_root(std::move(root)), m_index(m_root) {
    setObjectName(QStringLiteral("ArchiveWindow"));
    setWindowTitle(texts::kArchiveWindowTitle);
    m_forms = new ArchiveSearch(m_root, m_index, this);
    connect(m_forms, &ArchiveSearch::countsChanged, this, &ArchiveWindow::updateCounts);
    connect(m_forms, &ArchiveSearch::formOpened, this, &ArchiveWindow::formOpened);
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
    buildTree();
    auto* split = new QSplitter;
    split->addWidget(m_treeView);
    split->addWidget(m_forms->view());
    split->setStretchFactor(1, 1);
    split->setSizes({220, 780});
    auto* centre = new QWidget;
    auto* layout = new QVBoxLayout(centre);
    layout->addWidget(m_forms->field());
    layout->addWidget(split, 1);
    setCentralWidget(centre);
    buildStatusBar();
}

void ArchiveWindow::buildTree() {
    m_tree = new ArchiveTreeModel(this);
    m_treeView = new QTreeView;
    m_treeView->setObjectName(QStringLiteral("ArchiveTree"));
    m_treeView->setModel(m_tree);
    m_treeView->setHeaderHidden(true);
    m_treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_treeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { m_forms->showScope(m_tree->scopeOf(current)); });
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
    return m_forms->isListing();
}

void ArchiveWindow::showArchive() {
    present();
    m_forms->field()->setFocus();
}

void ArchiveWindow::showForms(const QString& site, const QDate& month) {
    m_forms->resetTo(
        {site, month.isValid() ? std::optional(month.toString(u"yyyy-MM")) : std::nullopt});
    present();
    // The scope stays as asked even while the tree shows only the site or the whole archive:
    // the update under way may bring the month, and the tree is chosen again when it ends.
    {
        const QSignalBlocker quiet(m_treeView->selectionModel());
        m_treeView->setCurrentIndex(m_tree->find(m_forms->scope()));
    }
    m_forms->showList();
    m_forms->view()->setFocus();
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
    // Read anew each time, as the admin may have set the common archive meanwhile.
    m_forms->setStore(StoreAddress::find());
    m_index.startShowing();
    m_forms->indexChanged();
    if (!m_index.isOpen()) openIndex();
    startUpdate(IndexUpdater::Look::Whole);
}

void ArchiveWindow::openIndex() {
    if (!m_index.open()) {
        updateCounts();
        return;
    }
    m_forms->indexChanged();
    fillTree();
    m_forms->showList();
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
    m_treeView->setCurrentIndex(m_tree->find(m_forms->scope()));
}

void ArchiveWindow::updateCounts() {
    if (!m_index.isOpen()) {
        m_count->setText(m_index.note());
        return;
    }
    QString count = m_forms->countText();
    if (!m_index.note().isEmpty()) count += QStringLiteral("  —  ") + m_index.note();
    m_count->setText(count);
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
    m_forms->indexGrew();
}

void ArchiveWindow::onUpdated(const IndexUpdater::Result& result) {
    m_progress->hide();
    bool relisted = std::exchange(m_mustRelist, false) || result.changes > 0;
    if (result.rebuilt) {
        m_index.reopenRebuilt();
        m_forms->indexChanged();
        relisted = true;
    }
    if (!result.failure.isEmpty() && !m_index.inMemory()) {
        m_index.keepInMemory(result.failure);
        m_forms->indexChanged();
        fillTree();
        m_forms->showList();
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
        m_forms->relist();
    } else {
        updateCounts();
    }
    if (m_pending) startUpdate(*std::exchange(m_pending, std::nullopt));
}
