#pragma once

#include <QFileDevice>
#include <QString>

// Why a form file could not be read or written, in a fixed set of classes, each with its own
// English text (from the string table) that names the file.
enum class FileErrorCause {
    Generic,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    HardIO,
    DiskFull,
    EndOfFile,
    // A pipe, device or socket: reading it could block or never end.
    NotRegularFile,
};

struct FileError {
    FileErrorCause cause;
    // Reading or writing: the failures without a class of their own have one text per direction.
    bool saving;
};

// The message shown for `error` on the file `path`. Pure; the texts are the string table's.
QString fileErrorText(FileError error, const QString& path);

// Classify a failure from what the file system shows now and what Qt reported.
FileError classifyOpenError(const QString& path, QFileDevice::FileError qtError);
FileError classifySaveError(const QString& path, QFileDevice::FileError qtError);
