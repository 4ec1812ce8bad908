#include "settings/SettingsDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QTimer>

#include "ports/PortDeviceLine.h"
#include "res/MessageBox.h"
#include "settings/ExchangeChoice.h"
#include "settings/IniPath.h"
#include "settings/SettingsFile.h"
#include "ui_SettingsDlg.h"

namespace {

CSettingsDlg::ShownHook& shownHook() {
    static CSettingsDlg::ShownHook hook;
    return hook;
}

void FillList(QComboBox* list, const QStringList& items) {
    // The platform's completer would change typed text to an item's letter case and complete
    // it inline; the operator's text must arrive as typed.
    list->setCompleter(nullptr);
    list->addItems(items);
}

void Preset(QComboBox* list, const QStringList& items, const QString& text) {
    const int index = PresetItemIndex(items, text);
    list->setCurrentIndex(index);
    if (index < 0) list->setEditText(text);
}

// Under the three lists, which keep their places, the dialog grows by a line that names the
// device behind the chosen port; long device names wrap onto a second line.
void AddDeviceLine(QDialog& dialog, QComboBox* portList) {
    auto* line = new PortDeviceLine(portList, &dialog);
    line->setGeometry(11, 162, dialog.width() - 22, 30);
    dialog.setFixedSize(dialog.width(), dialog.height() + 32);
}

}  // namespace

int PresetItemIndex(const QStringList& items, const QString& text) {
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).startsWith(text, Qt::CaseInsensitive)) return i;
    return -1;
}

void CSettingsDlg::SetShownHook(ShownHook hook) {
    shownHook() = std::move(hook);
}

CSettingsDlg::CSettingsDlg()
    : m_strPort(kDefaultPort), m_strDevice(kDefaultDevice), m_strRate(kDefaultRate) {
    ReadSettingsFile(g_strIniPath, m_strPort, m_strDevice, m_strRate, TabulonMessageBox);
}

int CSettingsDlg::DoModal(QWidget* owner) {
    QDialog dialog(owner ? owner : QApplication::activeWindow());
    Ui::SettingsDlg ui;
    ui.setupUi(&dialog);

    FillList(ui.IDC_PORT, exchangePortItems());
    FillList(ui.IDC_DEVICE, exchangeDeviceItems());
    FillList(ui.IDC_RATE, exchangeRateItems());
    Preset(ui.IDC_PORT, exchangePortItems(), m_strPort);
    Preset(ui.IDC_DEVICE, exchangeDeviceItems(), m_strDevice);
    Preset(ui.IDC_RATE, exchangeRateItems(), m_strRate);
    AddDeviceLine(dialog, ui.IDC_PORT);
    ui.IDOK->setFocus();

    if (shownHook()) {
        // Copied, so that a hook may replace itself while it runs.
        QTimer::singleShot(0, &dialog, [&dialog, hook = shownHook()] { hook(&dialog); });
    }
    if (dialog.exec() != QDialog::Accepted) return msg::IDCANCEL;

    m_strPort = ui.IDC_PORT->currentText();
    m_strDevice = ui.IDC_DEVICE->currentText();
    m_strRate = ui.IDC_RATE->currentText();
    return msg::IDOK;
}
