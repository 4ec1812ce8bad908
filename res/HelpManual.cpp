#include "res/HelpManual.h"

#include <QFileInfo>

namespace res {
namespace {

const QString kBuiltIn = QStringLiteral(":/help/index.html");

QString& override() {
    static QString path;
    return path;
}

}  // namespace

QString helpManualPath() {
    return override().isEmpty() ? kBuiltIn : override();
}

QUrl helpManualUrl() {
    const QString path = helpManualPath();
    if (path.startsWith(u':')) return QUrl(QStringLiteral("qrc") + path);
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
}

bool helpManualExists() {
    return QFileInfo(helpManualPath()).isFile();
}

void setHelpManualPath(const QString& path) {
    override() = path;
}

}  // namespace res
