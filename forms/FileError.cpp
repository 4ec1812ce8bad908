#include "forms/FileError.h"

#include <QFileInfo>

#include "res/Strings.h"
#include "res/Texts.h"

namespace {

// The table's message for each cause that names the file.
unsigned causeMessage(FileErrorCause cause) {
    switch (cause) {
        case FileErrorCause::FileNotFound:
            return id::AFX_IDP_FILE_NOT_FOUND;
        case FileErrorCause::BadPath:
            return id::AFX_IDP_FILE_BAD_PATH;
        case FileErrorCause::TooManyOpenFiles:
            return id::AFX_IDP_FILE_TOO_MANY_OPEN;
        case FileErrorCause::AccessDenied:
            return id::AFX_IDP_FILE_ACCESS_DENIED;
        case FileErrorCause::HardIO:
            return id::AFX_IDP_FILE_HARD_IO;
        case FileErrorCause::DiskFull:
            return id::AFX_IDP_FILE_DISKFULL;
        case FileErrorCause::EndOfFile:
            return id::AFX_IDP_FILE_EOF;
        case FileErrorCause::NotRegularFile:
        case FileErrorCause::Generic:
            break;
    }
    return 0;
}

}  // namespace

QString fileErrorText(FileError error, const QString& path) {
    if (error.cause == FileErrorCause::NotRegularFile) return texts::notRegularFile(path);
    if (const unsigned message = causeMessage(error.cause))
        return res::loadString(message).arg(path);
    return res::loadString(error.saving ? id::AFX_IDP_FAILED_TO_SAVE_DOC
                                        : id::AFX_IDP_FAILED_TO_OPEN_DOC);
}

namespace {

bool parentFolderExists(const QString& path) {
    const QFileInfo folder(QFileInfo(path).absolutePath());
    return folder.exists() && folder.isDir();
}

}  // namespace

FileError classifyOpenError(const QString& path, QFileDevice::FileError qtError) {
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

FileError classifySaveError(const QString& path, QFileDevice::FileError qtError) {
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
