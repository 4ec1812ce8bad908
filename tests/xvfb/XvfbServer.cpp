#include "tests/xvfb/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QStandardPaths>
#include <string>

namespace {

constexpr int kStartMs = 20000;

// The display number Xvfb writes, ended by a newline, once it accepts clients.
QByteArray readDisplayNumber(int fd) {
    QByteArray number;
    char c = 0;
    while (true) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kStartMs) <= 0) return {};
        if (::read(fd, &c, 1) != 1) return {};
        if (c == '\n') return number;
        number += c;
    }
}

}  // namespace

XvfbServer::~XvfbServer() {
    stop();
}

bool XvfbServer::start() {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        m_error = QStringLiteral("Xvfb is not installed (package xvfb)");
        return false;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        m_error = QStringLiteral("pipe failed");
        return false;
    }
    const std::string program = xvfb.toStdString();
    const std::string fd = std::to_string(fds[1]);
    m_pid = ::fork();
    if (m_pid == 0) {
        ::fcntl(fds[1], F_SETFD, 0);  // the one descriptor the server inherits
        ::execl(program.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    const QByteArray number = m_pid > 0 ? readDisplayNumber(fds[0]) : QByteArray();
    ::close(fds[0]);
    if (number.isEmpty()) {
        m_error = QStringLiteral("Xvfb did not start");
        stop();
        return false;
    }
    m_display = ':' + number;
    return true;
}

void XvfbServer::stop() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}
