#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Writes a whole file so that a failure is never taken for success.
//
// The bytes go to a temporary file beside the target that replaces it only when complete and
// flushed, so a failure leaves the old file whole. Where the folder lets no new file be made
// but the file itself may be written (a shared folder, a program folder where only the
// settings file is writable), the bytes are written over the old ones in place and the file is
// then cut to their length: a failure is still reported, though the old text may then be
// partly overwritten.
class SafeFile {
public:
    struct Result {
        bool ok = false;
        bool inPlace = false;  // written over the old file, the folder allowing no other
        QFileDevice::FileError error = QFileDevice::NoError;
        QString errorString;
    };

    static Result write(const QString& path, const QByteArray& bytes);

private:
    static Result writeInPlace(const QString& path, const QByteArray& bytes);
};
