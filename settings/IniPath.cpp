#include "settings/IniPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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

namespace {

QString ConfigFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

}  // namespace

QString ChooseIniPath(const IniPlace& place) {
    if (!place.environment.isEmpty()) return place.environment;
    const bool besideExecutable = place.executableFolderWritable && !place.installed;
    // Without a home there is no configuration folder either; the file stays beside the
    // program and its messages say what fails.
    if (besideExecutable || place.configFolder.isEmpty())
        return IniPathFromExecutablePath(place.executablePath, QLatin1Char('/'));
    return place.configFolder + QStringLiteral("/Tabulon/Tabulon.ini");
}

QString InstalledMark() {
#ifdef TABULON_INSTALLED_MARK
    return QStringLiteral(TABULON_INSTALLED_MARK);
#else
    return {};
#endif
}

IniPlace IniPlaceOf(const QString& executablePath) {
    IniPlace place;
    place.environment = qEnvironmentVariable("TABULON_INI");
    place.executablePath = executablePath;
    const QFileInfo folder(QFileInfo(executablePath).absolutePath());
    place.executableFolderWritable = folder.isWritable();
    place.installed =
        !InstalledMark().isEmpty() && QFileInfo::exists(folder.filePath() + '/' + InstalledMark());
    place.configFolder = ConfigFolder();
    return place;
}

IniPlace CurrentIniPlace() {
    return IniPlaceOf(QCoreApplication::applicationFilePath());
}

QString ComputeIniPath() {
    return ChooseIniPath(CurrentIniPlace());
}

void MakeConfigFolderFor(const QString& path) {
    const QString config = ConfigFolder();
    if (!config.isEmpty() && path.startsWith(config + QStringLiteral("/Tabulon/")))
        QDir().mkpath(QFileInfo(path).absolutePath());
}
