#pragma once

#include <QFile>
#include <QString>
#include <filesystem>
#include <string>

// A path the program holds as a QString, handed to the platform layer and to std::filesystem.
// The platform layer takes narrow names: the bytes the file system stores on POSIX, UTF-8 on
// Windows, where every name reaches the system as UTF-16 (QFile::encodeName would give the
// ANSI code page there and lose a Cyrillic site name on an English Windows).
inline std::string systemPath(const QString& path) {
#ifdef _WIN32
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

inline QString fromSystemPath(const std::string& path) {
#ifdef _WIN32
    return QString::fromStdString(path);
#else
    return QFile::decodeName(path.c_str());
#endif
}

// std::filesystem takes UTF-16 on Windows and converts it to the file system's bytes elsewhere.
inline std::filesystem::path filesystemPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}
