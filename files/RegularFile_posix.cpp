#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <memory>

#include "files/RegularFile.h"

namespace {

using Failure = RegularFile::Failure;

QFileDevice::FileError openErrorOf(int error) {
    switch (error) {
        case EMFILE:
        case ENFILE:
            return QFileDevice::ResourceError;
        case EACCES:
        case EPERM:
            return QFileDevice::PermissionsError;
        default:
            return QFileDevice::OpenError;
    }
}

// The descriptor of `path`, opened without waiting for a writer or a carrier and without
// becoming anyone's terminal; -1 with errno set when it cannot be opened.
int openWithoutWaiting(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

RegularFile::Result readOpened(int fd, const struct stat& st, qint64 limit) {
    if (!S_ISREG(st.st_mode)) return RegularFile::failure(Failure::NotRegular);
    if (st.st_size > limit) return RegularFile::failure(Failure::TooLarge);
    // A regular file never waits; reads that would are a surprise better not met.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
        return RegularFile::failure(Failure::Open, file.error(), file.errorString());
    return RegularFile::readAll(file, st.st_size, limit);
}

}  // namespace

RegularFile::Result RegularFile::read(const QString& path, qint64 limit) {
    const int fd = openWithoutWaiting(path);
    if (fd < 0) {
        const int error = errno;
        return RegularFile::failure(Failure::Open, openErrorOf(error), qt_error_string(error));
    }
    const std::unique_ptr<const int, void (*)(const int*)> closer(
        &fd, [](const int* f) { ::close(*f); });
    // The kind of what was opened, not of what the path names now or named before.
    struct stat st {};
    if (::fstat(fd, &st) != 0) return RegularFile::failure(Failure::NotRegular);
    Result out = readOpened(fd, st, limit);
    out.size = st.st_size;
    out.modifiedMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return out;
}
