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

#include "platform/NetworkSerialPort.h"
#include "platform/PosixLine.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// poll() on one descriptor until `deadline`, resuming after signals; 0 when it passed.
int pollUntil(int fd, short events, steady_clock::time_point deadline, short& revents) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, left <= 0 ? 0 : left > INT_MAX ? INT_MAX : int(left));
        if (r < 0 && errno == EINTR) continue;
        revents = p.revents;
        return r;
    }
}

// 0 once connected, else the cause: the system's, or ETIMEDOUT at the deadline.
int connectBefore(int fd, const addrinfo& to, steady_clock::time_point deadline) {
    if (::connect(fd, to.ai_addr, to.ai_addrlen) == 0) return 0;
    if (errno != EINPROGRESS) return errno;
    short revents = 0;
    const int r = pollUntil(fd, POLLOUT, deadline, revents);
    if (r < 0) return errno;
    if (r == 0) return ETIMEDOUT;
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) return errno;
    return error;
}

// A connected socket to `address`, or -1 with `error` set.
int connectTo(const NetworkAddress& address, steady_clock::time_point deadline, int& error) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int rc =
        ::getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &found);
    if (rc != 0) {
        error = rc == EAI_SYSTEM ? errno : kErrorUnknownHost;
        return -1;
    }
    int fd = -1;
    error = ECONNREFUSED;
    for (const addrinfo* ai = found; ai && fd < 0; ai = ai->ai_next) {
        fd = ::socket(ai->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            error = errno;
            continue;
        }
        error = connectBefore(fd, *ai, deadline);
        if (error != 0) ::close(fd), fd = -1;
        if (error == ETIMEDOUT) break;
    }
    ::freeaddrinfo(found);
    return fd;
}

SerialOpenResult failure(int error) {
    SerialOpenResult result;
    result.stage = SerialOpenResult::Stage::Open;
    result.error = error;
    return result;
}

}  // namespace

SerialOpenResult openTcpLine(const NetworkAddress& address, const NetworkLinkLimits& limits) {
    int error = 0;
    const int fd = connectTo(address, steady_clock::now() + limits.connect, error);
    if (fd < 0) return failure(error);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // every echo is one byte

    // Only a hang-up ends this wait early: bytes the calculator sends meanwhile stay in the socket.
    short revents = 0;
    if (pollUntil(fd, POLLRDHUP, steady_clock::now() + limits.settle, revents) > 0 &&
        (revents & (POLLRDHUP | POLLHUP | POLLERR))) {
        ::close(fd);
        return failure(ECONNRESET);
    }
    SerialOpenResult result;
    result.port = makeSocketLine(fd);
    return result;
}
