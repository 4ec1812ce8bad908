#include "HelpWindow.h"

#include <QFileInfo>
#include <QUrl>

#include "res/MessageBox.h"

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Tabulon - Справка"));
    setOpenExternalLinks(true);
    resize(720, 600);
}

bool HelpWindow::ShowContents(const QString& contentsPath) {
    const bool isResource = contentsPath.startsWith(QLatin1String(":/")) ||
                            contentsPath.startsWith(QLatin1String("qrc:"));
    const QString filePath =
        contentsPath.startsWith(QLatin1String("qrc:")) ? contentsPath.mid(3) : contentsPath;
    if (contentsPath.isEmpty() || !QFileInfo(filePath).isFile()) {
        TabulonMessageBox(QStringLiteral("Failed to launch help."));
        return false;
    }
    setSource(isResource ? QUrl(QStringLiteral("qrc") + filePath)
                         : QUrl::fromLocalFile(QFileInfo(filePath).absoluteFilePath()));
    show();
    raise();
    activateWindow();
    return true;
}
