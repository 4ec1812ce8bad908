#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/IpAddress.h"
#include "platform/PosixLine.h"
#include "platform/TcpListener.h"
#include "platform/WakeSignal.h"

namespace {

// The socket bound to `host`:`port`, or -1 with errno set. An empty host takes IPv6's every
// address, which takes IPv4's too unless the system keeps them apart; then IPv4's alone.
int boundSocket(const std::string& host, int port) {
    sockaddr_storage address{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (host.empty() || ::inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
        if (host.empty()) v6->sin6_addr = in6addr_any;
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(std::uint16_t(port));
        length = sizeof *v6;
    } else if (::inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(std::uint16_t(port));
        length = sizeof *v4;
    } else {
        errno = EINVAL;
        return -1;
    }
    int fd = ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0 && host.empty()) return boundSocket("0.0.0.0", port);
    if (fd < 0) return -1;
    const int one = 1, zero = 0;
    // A restarted service takes its port back at once, whatever connections still linger.
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (host.empty()) ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &zero, sizeof zero);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(fd, SOMAXCONN) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

int boundPort(int fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return socketPort(address);
}

}  // namespace

TcpListener::~TcpListener() {
    if (m_fd >= 0) ::close(m_fd);
}

int TcpListener::listen(const std::string& host, int port) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = boundSocket(host, port);
    if (m_fd < 0) return errno;
    m_port = boundPort(m_fd);
    return 0;
}

TcpListener::Accepted TcpListener::accept(std::chrono::milliseconds timeout,
                                          const WakeSignal* wake) {
    Accepted accepted;
    pollfd p[2] = {{m_fd, POLLIN, 0}, {wake ? wake->handle() : -1, POLLIN, 0}};
    const auto ms =
        timeout.count() > INT_MAX ? INT_MAX : int(std::max<long long>(0, timeout.count()));
    const int ready = ::poll(p, 2, ms);
    if (ready <= 0 || !(p[0].revents & POLLIN)) {
        if (ready < 0 && errno != EINTR) accepted.error = errno;
        return accepted;
    }
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const int fd = ::accept4(m_fd, reinterpret_cast<sockaddr*>(&address), &length,
                             SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        // A caller that hung up before it was taken: nothing to tell.
        if (errno != EAGAIN && errno != ECONNABORTED && errno != EINTR) accepted.error = errno;
        return accepted;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // every echo is one byte
    // A modem that vanishes without a word (its cell lost) is noticed by the system in time.
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    accepted.peer = socketAddressText(address);
    accepted.peerPort = socketPort(address);
    accepted.line = makeSocketLine(fd);
    return accepted;
}
