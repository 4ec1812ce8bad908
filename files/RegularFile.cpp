#include "files/RegularFile.h"

#include <algorithm>

RegularFile::Result RegularFile::failure(Failure why, QFileDevice::FileError error,
                                         const QString& text) {
    return {why, {}, error, text};
}

// Reads what is there, at most `limit` + 1 bytes: one past the limit tells a file that grew.
RegularFile::Result RegularFile::readAll(QFile& file, qint64 size, qint64 limit) {
    QByteArray bytes(std::min(size, limit) + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (true) {
        if (got == bytes.size()) {
            if (got > limit) return failure(Failure::TooLarge);
            bytes.resize(std::min(2 * got, limit + 1));  // it grew since it was looked at
        }
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0) return failure(Failure::Read, QFileDevice::ReadError, file.errorString());
        if (n == 0) break;
        got += n;
    }
    bytes.truncate(got);
    return {Failure::None, bytes, QFileDevice::NoError, {}};
}
