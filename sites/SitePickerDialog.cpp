#include "sites/SitePickerDialog.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

#include "archive/RecordOutcome.h"
#include "sites/SiteHistory.h"
#include "ui_SitePickerDialog.h"

namespace {

// Each site's last exchanges up to this month, read on a worker: a month may hold thousands of
// records.
QFuture<SiteLastExchanges> readPast(const QString& archiveRoot, const QList<Site>& sites) {
    QSet<QString> wanted;
    for (const Site& site : sites) wanted.insert(site.name);
    const auto read = [](QPromise<SiteLastExchanges>& promise, const QString& root,
                         const QSet<QString>& wanted) {
        const auto stopped = [&promise] { return promise.isCanceled(); };
        SiteLastExchanges last =
            SiteHistory(root).lastExchanges(QDate::currentDate(), wanted, stopped);
        if (!stopped()) promise.addResult(std::move(last));
    };
    return QtConcurrent::run(read, archiveRoot, wanted);
}

bool matches(const Site& site, const QString& text) {
    return site.name.contains(text, Qt::CaseInsensitive) ||
           site.port.contains(text, Qt::CaseInsensitive) ||
           site.note.contains(text, Qt::CaseInsensitive);
}

}  // namespace

SitePickerDialog::SitePickerDialog(const QList<Site>& sites, const QString& archiveRoot,
                                   QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SitePickerDialog>()), m_sites(sites) {
    m_ui->setupUi(this);
    for (const Site& site : m_sites) {
        auto* row = new QTreeWidgetItem({site.name, site.port});
        row->setToolTip(0, site.note);
        m_ui->siteTable->addTopLevelItem(row);
    }
    for (int column = 0; column < m_ui->siteTable->columnCount(); ++column)
        m_ui->siteTable->resizeColumnToContents(column);
    m_past = new QFutureWatcher<SiteLastExchanges>(this);
    connect(m_past, &QFutureWatcherBase::finished, this, &SitePickerDialog::showPast);
    m_past->setFuture(readPast(archiveRoot, m_sites));
    // The keys that move through the list work from the filter, where the operator types.
    m_ui->siteFilter->installEventFilter(this);
    connect(m_ui->siteFilter, &QLineEdit::textChanged, this, &SitePickerDialog::applyFilter);
    connect(m_ui->siteTable, &QTreeWidget::itemDoubleClicked, this, &SitePickerDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &SitePickerDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &SitePickerDialog::reject);
    applyFilter({});
    m_ui->siteFilter->setFocus();
}

SitePickerDialog::~SitePickerDialog() {
    m_past->disconnect(this);
    m_past->cancel();
}

void SitePickerDialog::showPast() {
    const QFuture<SiteLastExchanges> future = m_past->future();
    if (future.resultCount() == 0) return;
    const SiteLastExchanges last = future.result();
    QTreeWidget* table = m_ui->siteTable;
    for (int i = 0; i < table->topLevelItemCount(); ++i) {
        const SiteLastExchange past = last.value(m_sites[i].name);
        if (past.lastSuccess.isValid())
            table->topLevelItem(i)->setText(
                2, past.lastSuccess.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")));
        if (past.lastOutcome)
            table->topLevelItem(i)->setText(3, recordOutcomeText(*past.lastOutcome));
    }
    for (int column = 2; column < table->columnCount(); ++column)
        table->resizeColumnToContents(column);
    emit pastShown();
}

std::optional<Site> SitePickerDialog::showModal(QWidget* owner, const QList<Site>& sites,
                                                const QString& archiveRoot) {
    SitePickerDialog dialog(sites, archiveRoot, owner);
    if (dialog.exec() != QDialog::Accepted || !dialog.picked()) return std::nullopt;
    return *dialog.picked();
}

const Site* SitePickerDialog::picked() const {
    return m_picked >= 0 ? &m_sites[m_picked] : nullptr;
}

void SitePickerDialog::applyFilter(const QString& text) {
    QTreeWidget* table = m_ui->siteTable;
    QTreeWidgetItem* first = nullptr;
    for (int i = 0; i < table->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = table->topLevelItem(i);
        row->setHidden(!matches(m_sites[i], text));
        if (!row->isHidden() && !first) first = row;
    }
    QTreeWidgetItem* current = table->currentItem();
    if (!current || current->isHidden()) table->setCurrentItem(first);
    m_ui->buttons->button(QDialogButtonBox::Ok)->setEnabled(first != nullptr);
}

void SitePickerDialog::accept() {
    QTreeWidgetItem* current = m_ui->siteTable->currentItem();
    if (!current || current->isHidden()) return;
    m_picked = m_ui->siteTable->indexOfTopLevelItem(current);
    QDialog::accept();
}

bool SitePickerDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->siteFilter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
            key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(m_ui->siteTable, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
