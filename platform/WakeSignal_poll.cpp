// Waiting on the wake signal's readable end, the same whether an eventfd or a pipe stands behind
// it.
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <thread>

#include "platform/WakeSignal.h"

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

void WakeSignal::waitForEither(const WakeSignal& first, const WakeSignal* second,
                               std::chrono::milliseconds timeout) {
    const int other = second ? second->handle() : -1;
    pollfd fds[2] = {{first.handle(), POLLIN, 0}, {other, POLLIN, 0}};
    auto ms = std::clamp<std::int64_t>(timeout.count(), 0, 60000);
    // A signal the system could not give is looked at in short turns.
    if (first.handle() < 0 || (second && other < 0)) ms = std::min<std::int64_t>(ms, 20);
    ::poll(fds, 2, int(ms));
}
