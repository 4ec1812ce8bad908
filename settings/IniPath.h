#pragma once

#include <QChar>
#include <QString>

// Full path of "Tabulon.ini". Assigned once at start-up, before the settings dialog or the
// worker exists; read-only afterwards, so it needs no lock.
extern QString g_strIniPath;

// The executable's folder plus "Tabulon.ini": the path is cut back to its last `separator`,
// which stays. The first character is never examined, so a path without a separator keeps
// only that character.
QString iniPathFromExecutablePath(const QString& path, QChar separator);

// What decides where "Tabulon.ini" lives.
struct IniPlace {
    QString environment;     // TABULON_INI; empty when unset
    QString executablePath;  // the running program, '/' between folders
    bool executableFolderWritable = false;
    // The executable was installed (a package or `cmake --install`): its folder belongs to
    // the package manager, even for root, who could write there.
    bool installed = false;
    QString configFolder;  // userConfigFolder()
};

// TABULON_INI when it is set; else beside the executable, where the operator can write there
// (a program run from its build or a copied folder); else "Tabulon/Tabulon.ini" in the
// configuration folder, which the first write creates.
QString chooseIniPath(const IniPlace& place);

// The file whose presence, relative to the executable's folder, marks an installed program.
QString installedMark();

// The operator's configuration folder, which holds the folder "Tabulon": $XDG_CONFIG_HOME
// (~/.config) on Linux, %APPDATA% on Windows. Empty without a home.
QString userConfigFolder();

// The facts for the program at `executablePath`, and for the running program.
IniPlace iniPlaceOf(const QString& executablePath);
IniPlace currentIniPlace();

QString computeIniPath();

// The configuration folder may not exist before the first write: creates the folder of `path`
// when it lies there. Any other folder is left as it is, so that a missing one fails the write.
void makeConfigFolderFor(const QString& path);
