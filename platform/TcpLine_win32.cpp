// Raw mode of a network serial server on Windows: a Winsock socket whose network events set an
// event object, waited on beside the wake signal's, as the COM port's overlapped I/O is.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "platform/NetworkSerialPort.h"
#include "platform/PosixLine.h"
#include "platform/WakeSignal.h"
#include "platform/Win32Text.h"
#include "platform/WinsockLine.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

DWORD msUntil(steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - steady_clock::now());
    return DWORD(std::clamp<long long>(left.count(), 0, INFINITE - 1));
}

// A connected socket, its events on `event`; owns both.
class SocketLine final : public SerialPort {
public:
    SocketLine(SOCKET socket, WSAEVENT event) : m_socket(socket), m_event(event) {}
    ~SocketLine() override {
        closesocket(m_socket);
        WSACloseEvent(m_event);
    }

    Result read(std::span<std::uint8_t> buffer, milliseconds timeout) override {
        if (buffer.empty()) return {Status::Ok, 0, 0};
        const auto deadline = steady_clock::now() + timeout;
        for (;;) {
            const int n = recv(m_socket, reinterpret_cast<char*>(buffer.data()),
                               int(std::min<std::size_t>(buffer.size(), 1 << 20)), 0);
            if (n > 0) return {Status::Ok, std::size_t(n), 0};
            if (n == 0) return {Status::Hangup, 0, 0};
            const int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK) return failureOf(error);
            // Read once more after a close: the last bytes may have come with it.
            if (m_closed) return {Status::Hangup, 0, 0};
            if (!waitForEvents(deadline)) return {Status::Timeout, 0, 0};
        }
    }

    Result write(std::span<const std::uint8_t> bytes, milliseconds timeout) override {
        if (bytes.empty()) return {Status::Ok, 0, 0};
        const auto deadline = steady_clock::now() + timeout;
        for (;;) {
            const int n = send(m_socket, reinterpret_cast<const char*>(bytes.data()),
                               int(std::min<std::size_t>(bytes.size(), 1 << 20)), 0);
            if (n > 0) return {Status::Ok, std::size_t(n), 0};
            const int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK) return failureOf(error);
            if (m_closed) return {Status::Hangup, 0, 0};
            if (!waitForEvents(deadline)) return {Status::Timeout, 0, 0};
        }
    }

    void setWake(const WakeSignal* wake) override { m_wake = wake; }

private:
    static Result failureOf(int error) {
        const int mapped = Win32Text::errnoOf(DWORD(error));
        if (mapped == ECONNRESET) return {Status::Hangup, 0, mapped};
        return {Status::Error, 0, mapped};
    }

    // Waits for a network event or the wake signal; false at the deadline or on the wake.
    bool waitForEvents(steady_clock::time_point deadline) {
        HANDLE events[2] = {m_event, m_wake ? HANDLE(m_wake->event()) : nullptr};
        if (WaitForMultipleObjects(events[1] ? 2 : 1, events, FALSE, msUntil(deadline)) !=
            WAIT_OBJECT_0)
            return false;
        WSANETWORKEVENTS happened{};
        WSAEnumNetworkEvents(m_socket, m_event, &happened);
        if (happened.lNetworkEvents & FD_CLOSE) m_closed = true;
        return true;
    }

    SOCKET m_socket;
    WSAEVENT m_event;
    bool m_closed = false;
    const WakeSignal* m_wake = nullptr;
};

bool cancelled(const OpenCancel& cancel) {
    return cancel.requested() || (cancel.wake && cancel.wake->isRaised());
}

// Waits for one of `wanted` events on `socket` until `deadline`: its error code (0 when it
// came without one), ETIMEDOUT, or ECANCELED.
int awaitEvent(SOCKET socket, WSAEVENT event, long wanted, int bit,
               steady_clock::time_point deadline, const OpenCancel& cancel) {
    for (;;) {
        if (cancelled(cancel)) return ECANCELED;
        HANDLE events[2] = {event, cancel.wake ? HANDLE(cancel.wake->event()) : nullptr};
        const DWORD r = WaitForMultipleObjects(events[1] ? 2 : 1, events, FALSE, msUntil(deadline));
        if (r == WAIT_TIMEOUT) return ETIMEDOUT;
        if (r != WAIT_OBJECT_0) continue;  // the cancel: told above
        WSANETWORKEVENTS happened{};
        WSAEnumNetworkEvents(socket, event, &happened);
        if (happened.lNetworkEvents & wanted)
            return happened.iErrorCode[bit] ? Win32Text::errnoOf(DWORD(happened.iErrorCode[bit]))
                                            : 0;
    }
}

// A socket connected to `host`, or INVALID_SOCKET with `error` set.
SOCKET connectTo(const std::string& host, int port, WSAEVENT event,
                 steady_clock::time_point deadline, const OpenCancel& cancel, int& error) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        error = kErrorBadAddress;
        return INVALID_SOCKET;
    }
    SOCKET s = socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
    error = 0;
    if (s == INVALID_SOCKET) {
        error = Win32Text::errnoOf(DWORD(WSAGetLastError()));
    } else {
        // The socket turns non-blocking and reports its connection, data and close on `event`.
        WSAEventSelect(s, event, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
        if (connect(s, found->ai_addr, int(found->ai_addrlen)) != 0) {
            const int started = WSAGetLastError();
            error = started == WSAEWOULDBLOCK
                        ? awaitEvent(s, event, FD_CONNECT, FD_CONNECT_BIT, deadline, cancel)
                        : Win32Text::errnoOf(DWORD(started));
        }
    }
    freeaddrinfo(found);
    if (error && s != INVALID_SOCKET) closesocket(s), s = INVALID_SOCKET;
    return s;
}

}  // namespace

void startWinsock() {
    static std::once_flag started;
    std::call_once(started, [] {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
    });
}

std::unique_ptr<SerialPort> makeWinsockLine(std::uintptr_t socket) {
    const SOCKET s = SOCKET(socket);
    const WSAEVENT event = WSACreateEvent();
    // An accepted socket keeps its listener's events until it is given its own.
    WSAEventSelect(s, event, FD_READ | FD_WRITE | FD_CLOSE);
    return std::make_unique<SocketLine>(s, event);
}

SerialOpenResult openTcpLine(const HostAddresses& hosts, const NetworkAddress& address,
                             const NetworkLinkLimits& limits, const OpenCancel& cancel) {
    const auto deadline = steady_clock::now() + limits.connect;
    const WSAEVENT event = WSACreateEvent();
    int error = ECONNREFUSED;
    SOCKET s = INVALID_SOCKET;
    for (const std::string& host : hosts.numeric) {
        s = connectTo(host, address.port, event, deadline, cancel, error);
        if (s != INVALID_SOCKET || error == ETIMEDOUT || error == ECANCELED) break;
    }
    if (s == INVALID_SOCKET) {
        WSACloseEvent(event);
        return SerialOpenResult::refused(error);
    }
    const BOOL one = TRUE;  // every echo is one byte
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    // Only a hang-up ends this wait early: bytes the calculator sends meanwhile stay in the socket.
    const int settled =
        awaitEvent(s, event, FD_CLOSE, FD_CLOSE_BIT, steady_clock::now() + limits.settle, cancel);
    if (settled != ETIMEDOUT) {
        closesocket(s);
        WSACloseEvent(event);
        return SerialOpenResult::refused(settled == ECANCELED ? ECANCELED : ECONNRESET);
    }
    SerialOpenResult result;
    result.port = std::make_unique<SocketLine>(s, event);
    return result;
}
