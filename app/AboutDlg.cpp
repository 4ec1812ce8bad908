#include "app/AboutDlg.h"

#include "res/DialogForms.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    Ui::AboutDlg ui;
    ui.setupUi(this);
}
