// The listening socket on Windows: its FD_ACCEPT sets an event, waited on beside the wake
// signal's; each connection taken becomes a line of its own (makeWinsockLine).
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cerrno>

#include "platform/IpAddress.h"
#include "platform/TcpListener.h"
#include "platform/WakeSignal.h"
#include "platform/Win32Text.h"
#include "platform/WinsockLine.h"

namespace {

int lastError() {
    return Win32Text::errnoOf(DWORD(WSAGetLastError()));
}

// The socket bound to `host`:`port` and listening, or INVALID_SOCKET with `error` set. An empty
// host takes IPv6's every address and IPv4's with it (Windows keeps them apart unless told);
// then IPv4's alone where the machine has no IPv6.
SOCKET boundSocket(const std::string& host, int port, int& error) {
    sockaddr_storage address{};
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    int length = 0;
    if (host.empty() || inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
        if (host.empty()) v6->sin6_addr = in6addr_any;
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(u_short(port));
        length = sizeof *v6;
    } else if (inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(u_short(port));
        length = sizeof *v4;
    } else {
        error = EINVAL;
        return INVALID_SOCKET;
    }
    SOCKET s = socket(address.ss_family, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET && host.empty()) return boundSocket("0.0.0.0", port, error);
    if (s == INVALID_SOCKET) {
        error = lastError();
        return INVALID_SOCKET;
    }
    // No SO_REUSEADDR: on Windows it lets a second listener take the port from the first, and
    // a restarted listener gets its port back without it.
    const DWORD zero = 0;
    if (host.empty())
        setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&zero), sizeof zero);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(s, SOMAXCONN) != 0) {
        error = lastError();
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

int boundPort(SOCKET s) {
    sockaddr_storage address{};
    int length = sizeof address;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return socketPort(address);
}

}  // namespace

TcpListener::~TcpListener() {
    if (m_socket != INVALID_SOCKET) closesocket(SOCKET(m_socket));
    if (m_event) WSACloseEvent(m_event);
}

int TcpListener::listen(const std::string& host, int port) {
    startWinsock();
    if (m_socket != INVALID_SOCKET) closesocket(SOCKET(m_socket));
    if (!m_event) m_event = WSACreateEvent();
    int error = 0;
    const SOCKET s = boundSocket(host, port, error);
    m_socket = s;
    if (s == INVALID_SOCKET) return error;
    WSAEventSelect(s, m_event, FD_ACCEPT);  // the socket turns non-blocking
    m_port = boundPort(s);
    return 0;
}

TcpListener::Accepted TcpListener::accept(std::chrono::milliseconds timeout,
                                          const WakeSignal* wake) {
    Accepted accepted;
    const SOCKET listening = SOCKET(m_socket);
    HANDLE events[2] = {m_event, wake ? HANDLE(wake->event()) : nullptr};
    const auto ms = DWORD(std::clamp<long long>(timeout.count(), 0, INFINITE - 1));
    if (WaitForMultipleObjects(events[1] ? 2 : 1, events, FALSE, ms) != WAIT_OBJECT_0)
        return accepted;
    WSANETWORKEVENTS happened{};
    WSAEnumNetworkEvents(listening, m_event, &happened);
    sockaddr_storage address{};
    int length = sizeof address;
    const SOCKET s = ::accept(listening, reinterpret_cast<sockaddr*>(&address), &length);
    if (s == INVALID_SOCKET) {
        // A caller that hung up before it was taken: nothing to tell.
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK && error != WSAECONNRESET && error != WSAEINTR)
            accepted.error = Win32Text::errnoOf(DWORD(error));
        return accepted;
    }
    const BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    // A modem that vanishes without a word (its cell lost) is noticed by the system in time.
    setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&one), sizeof one);
    accepted.peer = socketAddressText(address);
    accepted.peerPort = socketPort(address);
    accepted.line = makeWinsockLine(std::uintptr_t(s));
    return accepted;
}
