#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/SerialPort.h"

class WakeSignal;

// A TCP port that modems connect to. Each accepted connection is a line like any other (see
// makeSocketLine): the exchange reads and writes it as it would a cable.
class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Listens on `host` (a numeric address; empty: every address of the machine, IPv6 and IPv4
    // alike where the system allows) at `port` (0: one the system gives). 0, or the errno.
    int listen(const std::string& host, int port);
    // The port listened on.
    int port() const { return m_port; }

    struct Accepted {
        std::unique_ptr<SerialPort> line;  // null: nothing came before the timeout or the wake
        std::string peer;                  // the caller's address (canonicalIpAddress)
        int peerPort = 0;
        int error = 0;  // why accepting failed (the listener stays usable)
    };
    // Waits up to `timeout` for a connection, or less when `wake` is raised.
    Accepted accept(std::chrono::milliseconds timeout, const WakeSignal* wake);

private:
#ifdef _WIN32
    std::uintptr_t m_socket = ~std::uintptr_t(0);  // INVALID_SOCKET
    void* m_event = nullptr;  // set by the socket's FD_ACCEPT, waited on beside the wake's
#else
    int m_fd = -1;
#endif
    int m_port = 0;
};
