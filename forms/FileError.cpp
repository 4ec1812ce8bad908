#include "FileError.h"

#include <QFileInfo>

QString FileErrorText(FileError error, const QString& path) {
    switch (error.cause) {
        case FileErrorCause::FileNotFound:
            return QStringLiteral("%1 was not found.").arg(path);
        case FileErrorCause::BadPath:
            return QStringLiteral("%1 contains an invalid path.").arg(path);
        case FileErrorCause::TooManyOpenFiles:
            return QStringLiteral("%1 could not be opened because there are too many open files.")
                .arg(path);
        case FileErrorCause::AccessDenied:
            return QStringLiteral("Access to %1 was denied.").arg(path);
        case FileErrorCause::HardIO:
            return QStringLiteral("A hardware I/O error was reported while accessing %1.")
                .arg(path);
        case FileErrorCause::DiskFull:
            return QStringLiteral("Disk full while accessing %1.").arg(path);
        case FileErrorCause::EndOfFile:
            return QStringLiteral("An attempt was made to access %1 past its end.").arg(path);
        case FileErrorCause::NotRegularFile:
            return QStringLiteral("%1 не является обычным файлом и не может быть открыт.")
                .arg(path);
        case FileErrorCause::Generic:
            break;
    }
    return error.saving ? QStringLiteral("Failed to save document.")
                        : QStringLiteral("Failed to open document.");
}

namespace {

bool parentFolderExists(const QString& path) {
    const QFileInfo folder(QFileInfo(path).absolutePath());
    return folder.exists() && folder.isDir();
}

}  // namespace

FileError ClassifyOpenError(const QString& path, QFileDevice::FileError qtError) {
    const QFileInfo info(path);
    if (!info.exists())
        return {parentFolderExists(path) ? FileErrorCause::FileNotFound : FileErrorCause::BadPath,
                false};
    if (info.isDir() || !info.isReadable()) return {FileErrorCause::AccessDenied, false};
    if (!info.isFile()) return {FileErrorCause::NotRegularFile, false};
    if (qtError == QFileDevice::ResourceError) return {FileErrorCause::TooManyOpenFiles, false};
    if (qtError == QFileDevice::ReadError) return {FileErrorCause::HardIO, false};
    return {FileErrorCause::Generic, false};
}

FileError ClassifySaveError(const QString& path, QFileDevice::FileError qtError) {
    const QFileInfo info(path);
    if (!parentFolderExists(path)) return {FileErrorCause::BadPath, true};
    if (info.isDir() || (info.exists() && !info.isWritable()))
        return {FileErrorCause::AccessDenied, true};
    // A writable file in a read-only folder is written in place, so the folder is to blame
    // only for a new file.
    if (!info.exists() && !QFileInfo(info.absolutePath()).isWritable())
        return {FileErrorCause::AccessDenied, true};
    // Qt reports a write that found no room on the device as a resource error.
    if (qtError == QFileDevice::ResourceError) return {FileErrorCause::DiskFull, true};
    return {FileErrorCause::Generic, true};
}
