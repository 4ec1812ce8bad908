// The wake signal on a self-pipe, for systems without eventfd: raised while a byte waits in it.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/WakeSignal.h"

namespace {

bool makeNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

}  // namespace

WakeSignal::WakeSignal() {
    int fds[2];
    if (::pipe(fds) != 0) return;
    if (!makeNonBlocking(fds[0]) || !makeNonBlocking(fds[1])) {
        ::close(fds[0]);
        ::close(fds[1]);
        return;
    }
    m_readFd = fds[0];
    m_writeFd = fds[1];
}

WakeSignal::~WakeSignal() {
    if (m_readFd >= 0) ::close(m_readFd);
    if (m_writeFd >= 0) ::close(m_writeFd);
}

void WakeSignal::raise() {
    if (m_writeFd < 0) return;
    const char byte = 1;
    // A full pipe is raised already.
    while (::write(m_writeFd, &byte, 1) < 0 && errno == EINTR) {
    }
}

void WakeSignal::clear() {
    if (m_readFd < 0) return;
    char bytes[64];
    for (;;) {
        const ssize_t n = ::read(m_readFd, bytes, sizeof bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
    }
}
