#pragma once

#include <QChar>
#include <QString>

// Full path of "Tabulon.ini". Assigned once at start-up, before the settings dialog or the
// worker exists; read-only afterwards, so it needs no lock.
extern QString g_strIniPath;

// The executable's folder plus "Tabulon.ini": the path is cut back to its last `separator`,
// which stays. The first character is never examined, so a path without a separator keeps
// only that character.
QString IniPathFromExecutablePath(const QString& path, QChar separator);

// TABULON_INI when it is set (an installed program's folder is not writable, and tests need
// a file of their own), otherwise "Tabulon.ini" beside the executable.
QString ComputeIniPath();
