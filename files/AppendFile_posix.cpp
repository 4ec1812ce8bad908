#include <fcntl.h>
#include <unistd.h>

#include <QFile>

#include "files/AppendFile.h"

bool appendFile(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0664);
    if (fd < 0) return false;
    const ssize_t written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    const bool ok = written == bytes.size() && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}
