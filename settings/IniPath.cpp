#include "settings/IniPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString g_strIniPath;

QString iniPathFromExecutablePath(const QString& path, QChar separator) {
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

// ~/.config on Linux; on Windows the roaming %APPDATA%, where a program keeps what the user
// set (Qt's configuration location there is the local one, which does not follow the user).
QString userConfigFolder() {
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
}

QString chooseIniPath(const IniPlace& place) {
    if (!place.environment.isEmpty()) return place.environment;
    const bool besideExecutable = place.executableFolderWritable && !place.installed;
    // Without a home there is no configuration folder either; the file stays beside the
    // program and its messages say what fails.
    if (besideExecutable || place.configFolder.isEmpty())
        return iniPathFromExecutablePath(place.executablePath, QLatin1Char('/'));
    return place.configFolder + QStringLiteral("/Tabulon/Tabulon.ini");
}

QString installedMark() {
#ifdef TABULON_INSTALLED_MARK
    return QStringLiteral(TABULON_INSTALLED_MARK);
#else
    return {};
#endif
}

IniPlace iniPlaceOf(const QString& executablePath) {
    IniPlace place;
    place.environment = qEnvironmentVariable("TABULON_INI");
    place.executablePath = executablePath;
    const QFileInfo folder(QFileInfo(executablePath).absolutePath());
    place.executableFolderWritable = folder.isWritable();
    place.installed =
        !installedMark().isEmpty() && QFileInfo::exists(folder.filePath() + '/' + installedMark());
    place.configFolder = userConfigFolder();
    return place;
}

IniPlace currentIniPlace() {
    return iniPlaceOf(QCoreApplication::applicationFilePath());
}

QString computeIniPath() {
    return chooseIniPath(currentIniPlace());
}

void makeConfigFolderFor(const QString& path) {
    const QString config = userConfigFolder();
    if (!config.isEmpty() && path.startsWith(config + QStringLiteral("/Tabulon/")))
        QDir().mkpath(QFileInfo(path).absolutePath());
}
