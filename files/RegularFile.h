#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileDevice>
#include <QString>

// Reads a whole file that the operator named, whatever stands at that path by the time it is
// opened. A pipe would hold the open until a writer comes and a device may never end, so the
// path is opened without waiting and only a regular file, as the opened descriptor shows it, is
// read: a path swapped for a pipe after any look at it is refused all the same. The file is read
// in one go, never more than one byte past `limit`.
class RegularFile {
public:
    enum class Failure {
        None,
        Open,        // `error` and `errorString` tell why
        NotRegular,  // a pipe, folder, device or socket
        TooLarge,    // more than `limit` bytes, as it stood or as it grew while read
        Read,        // `error` and `errorString` tell why
    };

    struct Result {
        Failure failure = Failure::None;
        QByteArray bytes;
        QFileDevice::FileError error = QFileDevice::NoError;
        QString errorString;
        // The opened file's size and modification time (ms since the epoch) as it stood when
        // opened; left at zero when nothing could be opened.
        qint64 size = 0;
        qint64 modifiedMs = 0;

        bool ok() const { return failure == Failure::None; }
    };

    static Result read(const QString& path, qint64 limit);

    // What every system's reading shares: a failure, and the reading of a regular file of
    // `size` bytes open as `file`.
    static Result failure(Failure why, QFileDevice::FileError error = QFileDevice::NoError,
                          const QString& text = {});
    static Result readAll(QFile& file, qint64 size, qint64 limit);
};
