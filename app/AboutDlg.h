#pragma once

#include <QDialog>

// "About Tabulon": the program's icon, "Tabulon Version 1.8", the developer's line and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
