#include "sites/MonthRoundWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

#include "res/Texts.h"
#include "sites/MonthRoundModel.h"

namespace {

QDate firstOf(const QDate& date) {
    return QDate(date.year(), date.month(), 1);
}

QString monthName(const QDate& month) {
    const QString name = QLocale(QLocale::Russian).standaloneMonthName(month.month());
    return QStringLiteral("%1 %2").arg(name.left(1).toUpper() + name.mid(1)).arg(month.year());
}

}  // namespace

MonthRoundWindow::MonthRoundWindow(const QString& bookPath, const QString& archiveRoot,
                                   const StoreAddress& store, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_source(std::make_shared<MonthRoundSource>(bookPath, archiveRoot, store)),
      m_month(firstOf(QDate::currentDate())),
      m_newest(m_month) {
    setObjectName(QStringLiteral("MonthRoundWindow"));
    setWindowTitle(texts::kMonthRoundTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildMonthBar());
    layout->addWidget(buildTable(), 1);
    layout->addLayout(buildButtons());
    // Below the table, above the summary; made after it, which stays the window's first label.
    m_callers = new QLabel;
    m_callers->setObjectName(QStringLiteral("unknownCallers"));
    m_callers->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_callers->hide();
    layout->insertWidget(2, m_callers);
    m_store = new QLabel;
    m_store->setObjectName(QStringLiteral("storeBacklog"));
    m_store->hide();
    layout->insertWidget(3, m_store);
    watchRecords();
    // Another machine's record comes as a notification, read like a change of the folder.
    m_source->listen([settle = m_settle] {
        QMetaObject::invokeMethod(settle, [settle] { settle->start(); }, Qt::QueuedConnection);
    });

    updateButtons();
    reload();
    // The operator goes down the rows first.
    m_view->setFocus();
    m_view->resizeColumnsToContents();
    resize(std::max(900, m_view->horizontalHeader()->length() + 60), 480);
}

QTableView* MonthRoundWindow::buildTable() {
    m_model = new MonthRoundModel(this);
    m_view = new QTableView;
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    connect(m_view, &QTableView::activated, this, &MonthRoundWindow::requestForms);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MonthRoundWindow::updateButtons);
    return m_view;
}

QHBoxLayout* MonthRoundWindow::buildButtons() {
    m_summary = new QLabel(texts::kMonthRoundReading);
    m_connect = new QPushButton(texts::kMonthRoundConnect);
    m_forms = new QPushButton(texts::kMonthRoundForms);
    connect(m_connect, &QPushButton::clicked, this, &MonthRoundWindow::requestConnect);
    connect(m_forms, &QPushButton::clicked, this, &MonthRoundWindow::requestForms);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_summary, 1);
    buttons->addWidget(m_connect);
    buttons->addWidget(m_forms);
    return buttons;
}

// The records are read again a moment after their folder or a record changes, on a worker.
void MonthRoundWindow::watchRecords() {
    m_watcher = new QFileSystemWatcher(this);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, &MonthRoundWindow::reload);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle,
            qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_settle, qOverload<>(&QTimer::start));
    m_looking = new QFutureWatcher<MonthRoundSource::Folders>(this);
    connect(m_looking, &QFutureWatcherBase::finished, this, &MonthRoundWindow::lookingEnded);
    m_reading = new QFutureWatcher<MonthRoundSource::Loaded>(this);
    connect(m_reading, &QFutureWatcherBase::finished, this, &MonthRoundWindow::readingEnded);
}

MonthRoundWindow::~MonthRoundWindow() {
    // Joined first: its notifications are posted to a timer of this window.
    m_source->stopListening();
    m_looking->disconnect(this);
    m_reading->disconnect(this);
    m_reading->cancel();
}

QWidget* MonthRoundWindow::buildMonthBar() {
    auto* bar = new QWidget;
    auto* label = new QLabel(texts::kMonthRoundMonth);
    m_months = new QComboBox;
    label->setBuddy(m_months);
    m_previous = new QPushButton(style()->standardIcon(QStyle::SP_ArrowLeft), QString());
    m_next = new QPushButton(style()->standardIcon(QStyle::SP_ArrowRight), QString());
    m_previous->setToolTip(texts::kMonthRoundPrevious);
    m_previous->setAccessibleName(texts::kMonthRoundPrevious);
    m_next->setToolTip(texts::kMonthRoundNext);
    m_next->setAccessibleName(texts::kMonthRoundNext);
    // The months the archive goes back to come with the first look at its folders.
    fillMonths({m_month});
    connect(m_previous, &QPushButton::clicked, this, [this] { stepMonth(-1); });
    connect(m_next, &QPushButton::clicked, this, [this] { stepMonth(1); });
    connect(m_months, &QComboBox::currentIndexChanged, this,
            [this] { setMonth(m_months->currentData().toDate()); });
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(m_previous),
                       static_cast<QWidget*>(m_months), static_cast<QWidget*>(m_next)})
        layout->addWidget(w);
    layout->addStretch(1);
    return bar;
}

void MonthRoundWindow::fillMonths(const QList<QDate>& months) {
    if (months == m_offered) return;
    m_offered = months;
    const QSignalBlocker quiet(m_months);
    m_months->clear();
    for (const QDate& month : months) m_months->addItem(monthName(month), month);
    m_months->setCurrentIndex(std::max(0, m_months->findData(m_month)));
}

void MonthRoundWindow::stepMonth(int by) {
    // The newest month comes first in the list.
    const int index = m_months->currentIndex() - by;
    if (index >= 0 && index < m_months->count()) m_months->setCurrentIndex(index);
}

void MonthRoundWindow::setMonth(const QDate& month) {
    const QDate first = firstOf(month);
    if (first == m_month) return;
    m_month = first;
    const int index = m_months->findData(first);
    if (index >= 0 && index != m_months->currentIndex()) {
        const QSignalBlocker quiet(m_months);
        m_months->setCurrentIndex(index);
    }
    // The rows of the month before are no answer for this one, even while it is being read.
    keepSelection();
    m_model->setRows({});
    m_summary->setText(texts::kMonthRoundReading);
    updateButtons();
    reload();
}

void MonthRoundWindow::reload() {
    m_settle->stop();
    if (m_awaited) {
        m_readAgain = true;
        // What is read for a month no longer shown is of no use: end it at the next file.
        if (m_readMonth != m_month) m_reading->cancel();
        return;
    }
    startReading();
}

// A reading looks at the folders first, both on a worker: the watches are set from what it
// found before the records are read, so that a record written while they are read starts
// another reading, and a folder that appeared since the last look is watched from now on.
void MonthRoundWindow::startReading() {
    m_awaited = true;
    m_readAgain = false;
    m_readMonth = m_month;
    m_looking->setFuture(
        QtConcurrent::run([](std::shared_ptr<MonthRoundSource> source, QDate month,
                             QDate newest) { return source->folders(month, newest); },
                          m_source, m_month, m_newest));
}

void MonthRoundWindow::lookingEnded() {
    const MonthRoundSource::Folders found = m_looking->result();
    fillMonths(found.months);
    updateButtons();
    // The month changed while its folders were looked at: look at the new one's.
    if (m_readMonth != m_month) {
        startReading();
        return;
    }
    watch(found.watched);
    m_reading->setFuture(QtConcurrent::run(
        [](QPromise<MonthRoundSource::Loaded>& promise, std::shared_ptr<MonthRoundSource> source,
           QDate month) {
            MonthRoundSource::Loaded loaded =
                source->load(month, [&promise] { return promise.isCanceled(); });
            if (!promise.isCanceled()) promise.addResult(std::move(loaded));
        },
        m_source, m_month));
}

void MonthRoundWindow::readingEnded() {
    m_awaited = false;
    const QFuture<MonthRoundSource::Loaded> future = m_reading->future();
    // Dropped when the month changed meanwhile; a change of the records only reads again.
    const bool current = m_readMonth == m_month && future.resultCount() > 0;
    if (current) showLoaded(future.result());
    if (m_readAgain || m_readMonth != m_month) startReading();
    if (current) emit shown();
}

void MonthRoundWindow::watch(const QStringList& paths) {
    const QStringList watched = m_watcher->directories() + m_watcher->files();
    if (!watched.isEmpty()) m_watcher->removePaths(watched);
    if (!paths.isEmpty()) m_watcher->addPaths(paths);
}

void MonthRoundWindow::keepSelection() {
    if (const MonthRoundRow* row = currentRow()) m_kept = Kept{row->site, row->kind};
}

void MonthRoundWindow::showLoaded(const MonthRoundSource::Loaded& loaded) {
    keepSelection();
    m_model->setRows(loaded.rows);
    if (m_kept) {
        const int row = m_model->rowOf(m_kept->site, m_kept->kind);
        if (row >= 0) m_view->selectRow(row);
    } else if (!m_everShown && m_model->rowCount() > 0) {
        m_view->selectRow(0);
    }
    if (!m_everShown) {
        m_everShown = true;
        // Wide enough for every column as the rows fill them.
        m_view->resizeColumnsToContents();
        const int wide = m_view->horizontalHeader()->length() + 60;
        if (width() < wide) resize(wide, height());
    }

    int counts[3] = {0, 0, 0};
    for (const MonthRoundRow& row : loaded.rows) ++counts[static_cast<int>(row.state)];
    QStringList lines{loaded.bookProblem};
    lines.append(texts::monthRoundSummary(counts[0], counts[1], counts[2]));
    if (loaded.unreadable > 0)
        lines.append(texts::monthRoundUnreadable(
            loaded.unreadable,
            QDir::toNativeSeparators(ExchangeRecords::monthFolder(archiveRoot(), m_month))));
    lines.removeAll(QString());
    m_summary->setText(lines.join(QLatin1Char('\n')));
    m_callers->setText((QStringList{texts::kMonthUnknownCallers} + loaded.callers).join(u'\n'));
    m_callers->setVisible(!loaded.callers.isEmpty());
    m_store->setText(MonthRoundSource::storeLine(loaded));
    m_store->setVisible(loaded.withStore);
    updateButtons();
}

void MonthRoundWindow::updateButtons() {
    const MonthRoundRow* row = currentRow();
    m_connect->setEnabled(row && row->kind == MonthRoundRow::Kind::Book);
    m_forms->setEnabled(row != nullptr);
    m_previous->setEnabled(m_months->currentIndex() + 1 < m_months->count());
    m_next->setEnabled(m_months->currentIndex() > 0);
}

const MonthRoundRow* MonthRoundWindow::currentRow() const {
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid() || !m_view->selectionModel()->isRowSelected(current.row()))
        return nullptr;
    return &m_model->rows()[current.row()];
}

void MonthRoundWindow::requestForms() {
    if (const MonthRoundRow* row = currentRow()) emit formsRequested(row->site, m_month);
}

void MonthRoundWindow::requestConnect() {
    const MonthRoundRow* row = currentRow();
    if (row && row->kind == MonthRoundRow::Kind::Book) emit connectRequested(row->site);
}
