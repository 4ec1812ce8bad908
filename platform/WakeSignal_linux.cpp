// The wake signal on an eventfd: one descriptor whose counter is non-zero while raised.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <thread>

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

bool WakeSignal::isRaised() const {
    if (m_readFd < 0) return false;
    pollfd p{m_readFd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

bool WakeSignal::waitFor(std::chrono::milliseconds timeout) const {
    if (m_readFd < 0) {
        std::this_thread::sleep_for(std::min(timeout, std::chrono::milliseconds(20)));
        return false;
    }
    const auto ms = std::clamp<std::int64_t>(timeout.count(), 0, std::numeric_limits<int>::max());
    pollfd p{m_readFd, POLLIN, 0};
    int ready;
    while ((ready = ::poll(&p, 1, int(ms))) < 0 && errno == EINTR) {
    }
    return ready > 0 && (p.revents & POLLIN);
}
