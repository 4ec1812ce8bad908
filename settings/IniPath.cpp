#include "IniPath.h"

#include <QCoreApplication>

QString g_strIniPath;

QString IniPathFromExecutablePath(const QString& path, QChar separator) {
    QString folder = path;
    // An empty path cannot come from the platform; without this guard the loop below would
    // start at index -1.
    if (!folder.isEmpty()) {
        for (qsizetype i = folder.size() - 1; i != 0; --i) {
            if (folder.at(i) == separator) break;
            folder.remove(i, 1);
        }
    }
    return folder + QStringLiteral("Tabulon.ini");
}

QString ComputeIniPath() {
    const QString fromEnvironment = qEnvironmentVariable("TABULON_INI");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    return IniPathFromExecutablePath(QCoreApplication::applicationFilePath(), QLatin1Char('/'));
}
