#include "app/AboutDlg.h"

#include "ui_AboutDlg.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    Ui::AboutDlg ui;
    ui.setupUi(this);
    ui.versionLabel->setText(ui.versionLabel->text().arg(QStringLiteral(TABULON_VERSION)));
}
