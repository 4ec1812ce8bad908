#include "settings/SettingsDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>

#include "ports/PortDeviceLine.h"
#include "res/MessageBox.h"
#include "settings/ExchangeChoice.h"
#include "settings/IniPath.h"
#include "settings/SettingsFile.h"
#include "ui_SettingsDlg.h"

namespace {

void fillList(QComboBox* list, const QStringList& items) {
    // The platform's completer would change typed text to an item's letter case and complete
    // it inline; the operator's text must arrive as typed.
    list->setCompleter(nullptr);
    list->addItems(items);
}

void preset(QComboBox* list, const QStringList& items, const QString& text) {
    const int index = presetItemIndex(items, text);
    list->setCurrentIndex(index);
    if (index < 0) list->setEditText(text);
}

// Under the three lists, which keep their places, the dialog grows by a line that names the
// device behind the chosen port; long device names wrap onto a second line.
void addDeviceLine(QDialog& dialog, QComboBox* portList) {
    auto* line = new PortDeviceLine(portList, &dialog);
    line->setGeometry(11, 162, dialog.width() - 22, 30);
    dialog.setFixedSize(dialog.width(), dialog.height() + 32);
}

}  // namespace

int presetItemIndex(const QStringList& items, const QString& text) {
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).startsWith(text, Qt::CaseInsensitive)) return i;
    return -1;
}

CSettingsDlg::CSettingsDlg()
    : m_strPort(kDefaultPort), m_strDevice(kDefaultDevice), m_strRate(kDefaultRate) {
    ReadSettingsFile(g_strIniPath, m_strPort, m_strDevice, m_strRate, tabulonMessageBox);
}

int CSettingsDlg::DoModal(QWidget* owner) {
    QDialog dialog(owner ? owner : QApplication::activeWindow());
    Ui::SettingsDlg ui;
    ui.setupUi(&dialog);

    fillList(ui.IDC_PORT, exchangePortItems());
    fillList(ui.IDC_DEVICE, exchangeDeviceItems());
    fillList(ui.IDC_RATE, exchangeRateItems());
    preset(ui.IDC_PORT, exchangePortItems(), m_strPort);
    preset(ui.IDC_DEVICE, exchangeDeviceItems(), m_strDevice);
    preset(ui.IDC_RATE, exchangeRateItems(), m_strRate);
    addDeviceLine(dialog, ui.IDC_PORT);
    ui.IDOK->setFocus();

    if (dialog.exec() != QDialog::Accepted) return msg::IDCANCEL;

    m_strPort = ui.IDC_PORT->currentText();
    m_strDevice = ui.IDC_DEVICE->currentText();
    m_strRate = ui.IDC_RATE->currentText();
    return msg::IDOK;
}
