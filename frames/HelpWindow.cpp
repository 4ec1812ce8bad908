#include "frames/HelpWindow.h"

#include <QFileInfo>
#include <QUrl>

#include "res/MessageBox.h"
#include "res/Strings.h"
#include "res/Texts.h"

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(texts::kHelpTitle);
    setOpenExternalLinks(true);
    resize(720, 600);
}

bool HelpWindow::showContents(const QString& contentsPath) {
    const bool isResource = contentsPath.startsWith(QLatin1String(":/")) ||
                            contentsPath.startsWith(QLatin1String("qrc:"));
    const QString filePath =
        contentsPath.startsWith(QLatin1String("qrc:")) ? contentsPath.mid(3) : contentsPath;
    if (contentsPath.isEmpty() || !QFileInfo(filePath).isFile()) {
        tabulonMessageBox(res::loadString(id::AFX_IDP_FAILED_TO_LAUNCH_HELP));
        return false;
    }
    setSource(isResource ? QUrl(QStringLiteral("qrc") + filePath)
                         : QUrl::fromLocalFile(QFileInfo(filePath).absoluteFilePath()));
    show();
    raise();
    activateWindow();
    return true;
}
