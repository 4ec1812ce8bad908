#include "ports/PortsDialog.h"

#include <QApplication>
#include <QHeaderView>

#include "platform/NetworkAddress.h"
#include "ports/ComPortDirectory.h"
#include "ports/DeviceWatcher.h"
#include "res/Texts.h"
#include "ui_PortsDialog.h"

namespace {

enum Column { PortColumn, DeviceColumn, PathColumn, ByIdColumn };
constexpr int kKeyRole = Qt::UserRole;
constexpr int kComRole = Qt::UserRole + 1;
constexpr int kReleasableRole = Qt::UserRole + 2;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QTreeWidgetItem* itemFor(const ComPortEntry& e) {
    QString device = e.address ? texts::kNetworkPort : q(e.device.description);
    if (!e.present)
        device +=
            device.isEmpty() ? texts::kUnplugged : QStringLiteral(" (%1)").arg(texts::kUnplugged);
    if (e.overridden) device += QStringLiteral(" (TABULON_COM%1)").arg(e.com);
    auto* item = new QTreeWidgetItem(
        {e.com ? comName(e.com) : QStringLiteral("—"), device, q(e.device.path), q(e.device.byId)});
    item->setData(PortColumn, kKeyRole, q(e.key));
    item->setData(PortColumn, kComRole, e.com);
    // A device that is plugged in would take a number again at once; only the gone ones and the
    // addresses give theirs up.
    item->setData(PortColumn, kReleasableRole, e.com && !e.overridden && (!e.present || e.address));
    if (!e.present)
        item->setForeground(DeviceColumn, QApplication::palette().color(QPalette::PlaceholderText));
    return item;
}

}  // namespace

PortsDialog::PortsDialog(ComPortDirectory& directory, QWidget* parent)
    : QDialog(parent), m_directory(directory), m_ui(std::make_unique<Ui::PortsDialog>()) {
    m_ui->setupUi(this);
    m_ui->portList->header()->setStretchLastSection(true);
    connect(m_ui->portList, &QTreeWidget::itemSelectionChanged, this, &PortsDialog::updateActions);
    connect(m_ui->moveButton, &QPushButton::clicked, this, &PortsDialog::moveSelected);
    connect(m_ui->releaseButton, &QPushButton::clicked, this, &PortsDialog::releaseSelected);
    connect(m_ui->addressEdit, &QLineEdit::textChanged, this, &PortsDialog::updateActions);
    connect(m_ui->addressButton, &QPushButton::clicked, this, &PortsDialog::assignAddress);
    refresh();
}

PortsDialog::~PortsDialog() = default;

void PortsDialog::refresh() {
    m_directory.refresh();
    fill();
}

void PortsDialog::fill() {
    const QString selected = selectedKey();
    m_ui->portList->clear();
    for (const ComPortEntry& e : m_directory.entries()) {
        QTreeWidgetItem* item = itemFor(e);
        m_ui->portList->addTopLevelItem(item);
        if (!selected.isEmpty() && q(e.key) == selected) item->setSelected(true);
    }
    for (int c = PortColumn; c <= PathColumn; ++c) m_ui->portList->resizeColumnToContents(c);

    m_ui->freeNumbers->clear();
    for (int com = kFirstCom; com <= kLastCom; ++com)
        if (m_directory.isFree(com)) m_ui->freeNumbers->addItem(comName(com), com);
    updateActions();
}

QString PortsDialog::selectedKey() const {
    const QList<QTreeWidgetItem*> items = m_ui->portList->selectedItems();
    return items.isEmpty() ? QString() : items.first()->data(PortColumn, kKeyRole).toString();
}

void PortsDialog::updateActions() {
    const QList<QTreeWidgetItem*> items = m_ui->portList->selectedItems();
    const bool selected = !items.isEmpty() && !selectedKey().isEmpty();
    m_ui->moveButton->setEnabled(selected && m_ui->freeNumbers->count() > 0);
    m_ui->freeNumbers->setEnabled(m_ui->freeNumbers->count() > 0);
    m_ui->releaseButton->setEnabled(selected &&
                                    items.first()->data(PortColumn, kReleasableRole).toBool());
    const bool address =
        parseNetworkAddress(m_ui->addressEdit->text().trimmed().toStdString()).has_value();
    m_ui->addressButton->setEnabled(address && m_ui->freeNumbers->count() > 0);
}

void PortsDialog::assignAddress() {
    const int com = m_ui->freeNumbers->currentData().toInt();
    if (!m_directory.assignAddress(com, m_ui->addressEdit->text().trimmed().toStdString())) return;
    m_ui->addressEdit->clear();
    fill();
}

void PortsDialog::moveSelected() {
    const int com = m_ui->freeNumbers->currentData().toInt();
    if (m_directory.move(selectedKey().toStdString(), com)) fill();
}

void PortsDialog::releaseSelected() {
    const QList<QTreeWidgetItem*> items = m_ui->portList->selectedItems();
    if (items.isEmpty()) return;
    m_directory.release(items.first()->data(PortColumn, kComRole).toInt());
    fill();
}

void PortsDialog::showModal(QWidget* owner) {
    PortStore store;
    ComPortDirectory directory(store);
    PortsDialog dialog(directory, owner ? owner : QApplication::activeWindow());
    DeviceWatcher watcher;
    connect(&watcher, &DeviceWatcher::devicesChanged, &dialog, &PortsDialog::refresh);
    dialog.exec();
}
