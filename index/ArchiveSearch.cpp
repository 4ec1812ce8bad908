#include "index/ArchiveSearch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <utility>

#include "files/SafeFile.h"
#include "files/TextFileCodec.h"
#include "index/ArchiveIndex.h"
#include "index/FormListModel.h"
#include "index/HitDelegate.h"
#include "res/Texts.h"

namespace {

// Long enough that a word typed at speed is searched once, short enough to feel immediate.
constexpr int kTypingPauseMs = 150;

}  // namespace

ArchiveSearch::ArchiveSearch(const QString& root, ArchiveIndex& index, QObject* parent)
    : QObject(parent), m_index(index) {
    // The two widgets go into the window's layout, which owns them; the list's model and its
    // delegate live as long as the view that shows them.
    m_field = new QLineEdit;
    m_view = new QTreeView;
    m_list = new FormListModel(root, m_view);
    m_delegate = new HitDelegate(m_view);
    buildField();
    buildView();
}

void ArchiveSearch::buildField() {
    m_field->setObjectName(QStringLiteral("ArchiveSearch"));
    m_field->setPlaceholderText(texts::kArchiveSearchHint);
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);
    m_typing = new QTimer(this);
    m_typing->setSingleShot(true);
    m_typing->setInterval(kTypingPauseMs);
    connect(m_typing, &QTimer::timeout, this, &ArchiveSearch::showList);
    connect(m_field, &QLineEdit::textEdited, m_typing, qOverload<>(&QTimer::start));
}

void ArchiveSearch::buildView() {
    m_view->setObjectName(QStringLiteral("ArchiveForms"));
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setModel(m_list);
    m_view->setItemDelegate(m_delegate);
    QHeaderView* header = m_view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(FormListModel::FirstLine, QHeaderView::Stretch);
    for (int c : {FormListModel::Received, FormListModel::Site, FormListModel::Port,
                  FormListModel::Type, FormListModel::Size})
        header->resizeSection(c, c == FormListModel::Received ? 150 : 100);
    connect(m_list, &FormListModel::fetched, this, &ArchiveSearch::countsChanged);
    connect(m_list, &QAbstractItemModel::modelReset, this, &ArchiveSearch::onListed);
    // The next batch once the operator has scrolled to the end of the rows read.
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value == m_view->verticalScrollBar()->maximum()) m_list->readMore();
    });
    connect(m_view, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { openRow(index.row()); });
}

void ArchiveSearch::showScope(const FormQuery::Scope& scope) {
    m_scope = scope;
    showList();
}

void ArchiveSearch::resetTo(const FormQuery::Scope& scope) {
    m_field->clear();
    m_scope = scope;
}

void ArchiveSearch::showList() {
    m_typing->stop();
    m_chosen.clear();
    m_list->show(m_field->text(), m_scope);
    countBrowsed();
    emit countsChanged();
}

void ArchiveSearch::relist() {
    const QString current = m_list->pathAt(m_view->currentIndex().row());
    showList();
    m_chosen = current;
}

void ArchiveSearch::setStore(const StoreAddress& store) {
    m_list->setStore(store);
}

void ArchiveSearch::indexChanged() {
    m_list->setIndexFile(m_index.isOpen() ? m_index.file() : QString());
    const bool searchable = m_index.searchable();
    if (!searchable) m_field->clear();
    m_field->setEnabled(searchable);
    m_field->setPlaceholderText(searchable ? texts::kArchiveSearchHint
                                           : texts::kArchiveSearchUnavailable);
}

void ArchiveSearch::indexGrew() {
    // A list still filling shows the forms as they come; a full one is left where it was read,
    // and only its count follows.
    if (m_list->rowCount() < FormListModel::kBatch && !m_typing->isActive()) {
        relist();
        return;
    }
    countBrowsed();
    emit countsChanged();
}

bool ArchiveSearch::isListing() const {
    return m_list->isBusy();
}

QString ArchiveSearch::countText() const {
    const QString counted = listedText();
    const QString storeFailure = m_list->isSearch() ? m_list->storeFailure() : QString();
    return storeFailure.isEmpty()
               ? counted
               : counted + QStringLiteral(". ") + texts::kStoreSearchLocal.arg(storeFailure);
}

QString ArchiveSearch::listedText() const {
    const int rows = m_list->rowCount();
    if (m_list->isSearch() && m_list->isBusy()) return texts::kArchiveSearching;
    if (!m_list->isSearch())
        return m_browsed ? texts::kArchiveForms.arg(*m_browsed) : texts::kArchiveFormsUncounted;
    if (rows == 0) return texts::kArchiveNoHits;
    return (m_list->hasMore() ? texts::kArchiveHitsMore : texts::kArchiveHits).arg(rows);
}

void ArchiveSearch::onListed() {
    m_delegate->setTwoLines(m_list->isSearch());
    const int row = std::max(m_list->rowOf(std::exchange(m_chosen, QString())), 0);
    if (row < m_list->rowCount()) m_view->setCurrentIndex(m_list->index(row, 0));
    if (std::exchange(m_openWhenListed, false)) openRow(row);
    emit countsChanged();
}

namespace {

// Whether this machine's file is the form the common archive holds: another machine may have
// archived another form under the same name, or this one changed it since.
bool holdsForm(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && TextFileCodec::decode(file.readAll()) == text;
}

}  // namespace

// A hit of the common archive opens this machine's file where that is the form found, so that
// the operator edits the archive's own file; else the common archive's text.
void ArchiveSearch::openRow(int row) {
    QString path = m_list->pathAt(row);
    const QString storeText = m_list->storeTextAt(row);
    if (!storeText.isEmpty() && !holdsForm(path, storeText)) path = storeCopy(row, storeText);
    if (!path.isEmpty()) emit formOpened(path);
}

// A form of another machine opens from the common archive's text, in a file named as the
// archive names it (the window's title and a save start from the name) below a folder of
// the program's own in the temporary folder, never in this machine's archive.
QString ArchiveSearch::storeCopy(int row, const QString& text) {
    const QString relative = m_list->index(row, 0).data(FormListModel::RelativePathRole).toString();
    const QString path = QDir(QDir::temp().filePath(QStringLiteral("tabulon-common-archive")))
                             .filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const SafeFile::Result written = SafeFile::write(path, TextFileCodec::encode(text));
    if (written.ok) return path;
    qWarning("Common archive form %s: %s", qUtf8Printable(path), qUtf8Printable(written.errorString));
    return {};
}

void ArchiveSearch::countBrowsed() {
    m_browsed =
        m_index.isOpen() && !m_list->isSearch() ? FormQuery::count(m_index.db(), m_scope) : 0;
    if (!m_browsed) qWarning("Archive index: %s", qUtf8Printable(m_index.db().error()));
}

bool ArchiveSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return enterPressed();
        if (key == Qt::Key_Down || key == Qt::Key_PageDown) {
            m_view->setFocus();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// Enter in the field opens the form chosen in the list of what was typed.
bool ArchiveSearch::enterPressed() {
    if (m_typing->isActive()) showList();  // what was typed, not what was shown before
    // The form is opened once the list of what was typed is read.
    if (m_list->isBusy()) {
        m_openWhenListed = true;
        return true;
    }
    openRow(m_view->currentIndex().isValid() ? m_view->currentIndex().row() : 0);
    return true;
}
