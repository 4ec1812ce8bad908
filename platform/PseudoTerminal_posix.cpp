#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/PosixLine.h"
#include "platform/PseudoTerminal.h"
#include "platform/TermiosSpeed.h"

namespace {

class PosixPseudoTerminal final : public PseudoTerminal {
public:
    PosixPseudoTerminal(int master, std::string slavePath)
        : m_master(master), m_slavePath(std::move(slavePath)), m_line(makePosixLine(master)) {}

    const std::string& slavePath() const override { return m_slavePath; }
    SerialPort& line() override { return *m_line; }
    bool peerOpen() override {
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, 0) < 0) return false;
        return !(pfd.revents & POLLHUP);
    }
    void discardUnread() override {
        // Only the far end can flush its own input queue, so open it for a moment.
        const int far = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (far < 0) return;
        ::tcflush(far, TCIFLUSH);
        ::close(far);
    }

    int lineRate() override {
        // The settings of a pseudo-terminal live on its far end; the controlling side reads them.
        termios t{};
        if (::tcgetattr(m_master, &t) != 0) return 0;
        return TermiosSpeed::rateOf(::cfgetospeed(&t));
    }

private:
    int m_master;
    std::string m_slavePath;
    std::unique_ptr<SerialPort> m_line;  // owns and closes m_master
};

// Gives up on a half-made pseudo-terminal, keeping errno for the caller.
std::unique_ptr<PseudoTerminal> fail(int fd, int* error) {
    const int e = errno;
    if (fd >= 0) ::close(fd);
    if (error) *error = e;
    return nullptr;
}

}  // namespace

std::unique_ptr<PseudoTerminal> PseudoTerminal::create(int* error) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) return fail(-1, error);
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) return fail(master, error);
    char name[128];
    if (::ptsname_r(master, name, sizeof name) != 0) return fail(master, error);

    // Raw, so that no byte is translated, swallowed or echoed by the terminal itself.
    termios t{};
    if (::tcgetattr(master, &t) != 0) return fail(master, error);
    ::cfmakeraw(&t);
    if (::tcsetattr(master, TCSANOW, &t) != 0) return fail(master, error);

    // A fresh pseudo-terminal does not show that nobody holds its far end; after one open and
    // close it does, until the next program opens it.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) return fail(master, error);
    ::close(slave);

    return std::make_unique<PosixPseudoTerminal>(master, name);
}
