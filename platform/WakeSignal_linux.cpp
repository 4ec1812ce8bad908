// The wake signal on an eventfd: one descriptor whose counter is non-zero while raised.
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/WakeSignal.h"

WakeSignal::WakeSignal() {
    m_readFd = m_writeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

WakeSignal::~WakeSignal() {
    if (m_readFd >= 0) ::close(m_readFd);
}

void WakeSignal::raise() {
    if (m_writeFd < 0) return;
    const std::uint64_t one = 1;
    // Fails only when the counter is about to overflow, which is raised all the same.
    while (::write(m_writeFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void WakeSignal::clear() {
    if (m_readFd < 0) return;
    std::uint64_t count = 0;
    while (::read(m_readFd, &count, sizeof count) < 0 && errno == EINTR) {
    }
}
