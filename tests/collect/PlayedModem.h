#pragma once

// A GPRS modem played by a test against `tabulon-collect --listen`: it connects to the office,
// sends what a modem sends, and bridges a calculator simulator's line to the connection.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QThread>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

// Whether `done` comes true within `ms`, asked every 20 ms.
inline bool within(const std::function<bool()>& done, int ms = 20000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done()) return true;
        QThread::msleep(20);
    }
    return done();
}

// A GPRS modem's side of a connection to the office.
class PlayedModem {
public:
    explicit PlayedModem(int port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(std::uint16_t(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(m_fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    }
    ~PlayedModem() {
        m_stop = true;
        if (m_bridge.joinable()) m_bridge.join();
        ::close(m_fd);
        if (m_pty >= 0) ::close(m_pty);
    }
    void send(const QByteArray& bytes) {
        EXPECT_EQ(::send(m_fd, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL),
                  bytes.size());
    }
    // What the office sent within `ms`; `closed` set when it closed the connection.
    QByteArray receive(int ms, bool* closed = nullptr) {
        pollfd p{m_fd, POLLIN, 0};
        char buffer[256];
        if (::poll(&p, 1, ms) <= 0) return {};
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (closed) *closed = n == 0;
        return n > 0 ? QByteArray(buffer, n) : QByteArray();
    }
    bool closedByOffice(int ms = 20000) {
        bool closed = false;
        return within([&] { return receive(50, &closed), closed; }, ms);
    }
    // From now on the connection carries the calculator on `pty`; once `after` of its bytes
    // went to the office, `heartbeat` goes too, in the middle of its form.
    void bridge(const std::string& pty, const QByteArray& heartbeat, std::size_t after) {
        m_pty = ::open(pty.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(m_pty, 0);
        termios raw{};
        ::tcgetattr(m_pty, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_pty, TCSANOW, &raw);
        m_bridge = std::thread([this, heartbeat, after] { carry(heartbeat, after); });
    }

private:
    void carry(const QByteArray& heartbeat, std::size_t after) {
        std::size_t fromCalculator = 0;
        char buffer[256];
        while (!m_stop) {
            pollfd p[2] = {{m_fd, POLLIN, 0}, {m_pty, POLLIN, 0}};
            if (::poll(p, 2, 20) <= 0) continue;
            if (p[0].revents) {
                const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
                if (n <= 0) return;
                (void)!::write(m_pty, buffer, std::size_t(n));
            }
            if (p[1].revents) {
                const ssize_t n = ::read(m_pty, buffer, sizeof buffer);
                if (n <= 0) return;
                const bool crossing = fromCalculator < after && fromCalculator + n >= after;
                fromCalculator += std::size_t(n);
                ::send(m_fd, buffer, std::size_t(n), MSG_NOSIGNAL);
                if (crossing) send(heartbeat);
            }
        }
    }

    int m_fd = -1;
    int m_pty = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_bridge;
};
