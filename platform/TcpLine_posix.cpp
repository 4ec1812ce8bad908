// Raw mode of a network serial server: a plain TCP socket, waited on with poll() like a local
// line, so that an echo costs no more than the network's own round trip.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <string>
#include <vector>

#include "platform/NetworkSerialPort.h"
#include "platform/PosixLine.h"
#include "platform/WakeSignal.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// poll() on one descriptor until `deadline`, resuming after signals; 0 when it passed, -1 with
// errno ECANCELED when the cancel's signal was raised first.
int pollUntil(int fd, short events, steady_clock::time_point deadline, short& revents,
              const OpenCancel& cancel) {
    const int wake = cancel.wake ? cancel.wake->handle() : -1;
    for (;;) {
        if (cancel.requested() || (cancel.wake && cancel.wake->isRaised())) {
            errno = ECANCELED;
            return -1;
        }
        auto left =
            std::chrono::duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        // A signal without a descriptor is looked at in short turns.
        if (cancel.wake && wake < 0) left = std::min<decltype(left)>(left, 20);
        pollfd p[2] = {{fd, events, 0}, {wake, POLLIN, 0}};
        const int r = ::poll(p, 2, left <= 0 ? 0 : left > INT_MAX ? INT_MAX : int(left));
        if (r < 0 && errno == EINTR) continue;
        if (r > 0 && p[0].revents == 0) continue;  // the signal: told above
        if (r == 0 && steady_clock::now() < deadline) continue;
        revents = p[0].revents;
        return r;
    }
}

// 0 once connected, else the cause: the system's, ETIMEDOUT at the deadline, or ECANCELED.
int connectBefore(int fd, const addrinfo& to, steady_clock::time_point deadline,
                  const OpenCancel& cancel) {
    if (::connect(fd, to.ai_addr, to.ai_addrlen) == 0) return 0;
    if (errno != EINPROGRESS) return errno;
    short revents = 0;
    const int r = pollUntil(fd, POLLOUT, deadline, revents, cancel);
    if (r < 0) return errno;
    if (r == 0) return ETIMEDOUT;
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) return errno;
    return error;
}

// A connected socket to one of `hosts` (numeric, so nothing is looked up here), or -1 with
// `error` set.
int connectTo(const std::vector<std::string>& hosts, int port, steady_clock::time_point deadline,
              const OpenCancel& cancel, int& error) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    int fd = -1;
    error = ECONNREFUSED;
    for (const std::string& host : hosts) {
        addrinfo* found = nullptr;
        if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
            error = kErrorBadAddress;
            continue;
        }
        fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            error = errno;
        else
            error = connectBefore(fd, *found, deadline, cancel);
        ::freeaddrinfo(found);
        if (error == 0) return fd;
        if (fd >= 0) ::close(fd), fd = -1;
        if (error == ETIMEDOUT || error == ECANCELED) break;
    }
    return -1;
}

}  // namespace

SerialOpenResult openTcpLine(const HostAddresses& hosts, const NetworkAddress& address,
                             const NetworkLinkLimits& limits, const OpenCancel& cancel) {
    int error = 0;
    const int fd =
        connectTo(hosts.numeric, address.port, steady_clock::now() + limits.connect, cancel, error);
    if (fd < 0) return SerialOpenResult::refused(error);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // every echo is one byte

    // Only a hang-up ends this wait early: bytes the calculator sends meanwhile stay in the socket.
    short revents = 0;
    const int settled =
        pollUntil(fd, POLLRDHUP, steady_clock::now() + limits.settle, revents, cancel);
    const bool cancelled = settled < 0 && errno == ECANCELED;
    if (cancelled || (settled > 0 && (revents & (POLLRDHUP | POLLHUP | POLLERR)))) {
        ::close(fd);
        return SerialOpenResult::refused(cancelled ? ECANCELED : ECONNRESET);
    }
    SerialOpenResult result;
    result.port = makeSocketLine(fd);
    return result;
}
