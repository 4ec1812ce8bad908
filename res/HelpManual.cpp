#include "res/HelpManual.h"

#include <QFileInfo>

namespace res {
namespace {

const QString kBuiltIn = QStringLiteral(":/help/index.html");

QString& Override() {
    static QString path;
    return path;
}

}  // namespace

QString HelpManualPath() {
    return Override().isEmpty() ? kBuiltIn : Override();
}

QUrl HelpManualUrl() {
    const QString path = HelpManualPath();
    if (path.startsWith(u':')) return QUrl(QStringLiteral("qrc") + path);
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
}

bool HelpManualExists() {
    return QFileInfo(HelpManualPath()).isFile();
}

void SetHelpManualPath(const QString& path) {
    Override() = path;
}

}  // namespace res
