// The serial line on POSIX termios. Every wait blocks in poll() against the caller's time-out.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <optional>

#include "platform/NetworkSerialPort.h"
#include "platform/PortUser.h"
#include "platform/PosixLine.h"
#include "platform/SerialPort.h"
#include "platform/SerialPortName.h"
#include "platform/TermiosSpeed.h"
#include "platform/WakeSignal.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Waits in poll() for `events` on `fd` until `timeout` has passed or `wakeFd` (when not -1)
// turns readable. Returns poll()'s result for `fd` alone (0 also when only the wake came, or a
// signal cut the wait short: the callers' loops look at their clocks and wait again);
// `revents` holds what happened when it is positive. It reads no clock, as it runs for every
// byte of an echo exchange.
int pollFor(int fd, short events, milliseconds timeout, int wakeFd, short& revents) {
    const long long ms = timeout.count() < 0 ? 0 : timeout.count();
    pollfd pfd[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    const int r = ::poll(pfd, wakeFd >= 0 ? 2 : 1, ms > INT_MAX ? INT_MAX : static_cast<int>(ms));
    if (r < 0 && errno == EINTR) return 0;
    revents = pfd[0].revents;
    if (r <= 0) return r;
    return revents != 0 ? 1 : 0;
}

bool isHangupError(int error) {
    // The last two only from a socket: the network server hung up.
    return error == EIO || error == ENXIO || error == ENODEV || error == ECONNRESET ||
           error == EPIPE;
}

class PosixSerialPort final : public SerialPort {
public:
    PosixSerialPort(int fd, bool serialDevice, bool socket = false)
        : m_fd(fd), m_serialDevice(serialDevice), m_socket(socket) {}
    ~PosixSerialPort() override {
        if (m_serialDevice) {
            settleOutput();
            ::ioctl(m_fd, TIOCNXCL);  // a pseudo-terminal keeps the flag for its next opener
        }
        ::close(m_fd);  // also releases the flock
    }

    Result read(std::span<std::uint8_t> buffer, milliseconds timeout) override {
        if (buffer.empty()) return {Status::Ok, 0, 0};
        // While a stream flows, more is usually waiting: take it without a poll(), which halves
        // the calls. Byte by byte (an echo exchange) the first read would only find nothing.
        if (m_streaming) {
            const Result first = readNow(buffer, 0);
            if (first.status != Status::Timeout) return noteRead(first);
        }
        short revents = 0;
        const int r = pollFor(m_fd, POLLIN, timeout, wakeFd(), revents);
        if (r < 0) return {Status::Error, 0, errno};
        if (r == 0) return noteRead({Status::Timeout, 0, 0});
        if (revents & POLLNVAL) return {Status::Error, 0, EBADF};
        // Read even on a hang-up: a device that vanished may still have bytes waiting.
        return noteRead(readNow(buffer, revents));
    }

    Result write(std::span<const std::uint8_t> bytes, milliseconds timeout) override {
        if (bytes.empty()) return {Status::Ok, 0, 0};
        // Taken when the line is first found full: a byte that goes out at once needs no clock.
        std::optional<steady_clock::time_point> deadline;
        for (;;) {
            const ssize_t n = m_socket ? ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL)
                                       : ::write(m_fd, bytes.data(), bytes.size());
            if (n > 0) return {Status::Ok, static_cast<std::size_t>(n), 0};
            const int error = n < 0 ? errno : EAGAIN;
            if (error == EINTR) continue;
            if (isHangupError(error)) return {Status::Hangup, 0, error};
            if (error != EAGAIN && error != EWOULDBLOCK) return {Status::Error, 0, error};

            const auto now = steady_clock::now();
            if (!deadline) deadline = now + timeout;
            const auto left = std::chrono::duration_cast<milliseconds>(*deadline - now);
            if (left.count() <= 0) return {Status::Timeout, 0, 0};
            short revents = 0;
            const int r = pollFor(m_fd, POLLOUT, left, wakeFd(), revents);
            if (r < 0) return {Status::Error, 0, errno};
            if (r == 0) return {Status::Timeout, 0, 0};
            if (revents & POLLNVAL) return {Status::Error, 0, EBADF};
            if ((revents & (POLLHUP | POLLERR)) && !(revents & POLLOUT))
                return {Status::Hangup, 0, 0};
        }
    }

    void setWake(const WakeSignal* wake) override { m_wake = wake; }

    bool setDtr(bool raised) override {
        if (!m_serialDevice) return false;
        const int line = TIOCM_DTR;
        return ::ioctl(m_fd, raised ? TIOCMBIS : TIOCMBIC, &line) == 0;
    }

private:
    int wakeFd() const { return m_wake ? m_wake->handle() : -1; }

    Result noteRead(Result r) {
        m_streaming = r.status == Status::Ok && r.count > 1;
        return r;
    }

    // One non-blocking read(); `revents` is what poll() saw before it, if it ran.
    Result readNow(std::span<std::uint8_t> buffer, short revents) {
        ssize_t n;
        do n = ::read(m_fd, buffer.data(), buffer.size());
        while (n < 0 && errno == EINTR);
        if (n > 0) return {Status::Ok, static_cast<std::size_t>(n), 0};
        if (n == 0) return {Status::Hangup, 0, 0};
        const int error = errno;
        if (isHangupError(error)) return {Status::Hangup, 0, error};
        if (error == EAGAIN || error == EWOULDBLOCK) {
            if (revents & (POLLHUP | POLLERR)) return {Status::Hangup, 0, 0};
            return {Status::Timeout, 0, 0};
        }
        return {Status::Error, 0, error};
    }

    // close() of a serial device waits for its output to drain, for up to half a minute on a
    // line held back by flow control. Give the last bytes a moment to leave, then drop what is
    // stuck so that closing never hangs. A line that drained is not flushed: on a
    // pseudo-terminal that would throw away what the other side has not read yet.
    void settleOutput() {
        for (int i = 0; i < 50; ++i) {
            int queued = 0;
            if (::ioctl(m_fd, TIOCOUTQ, &queued) != 0 || queued <= 0) return;
            ::poll(nullptr, 0, 10);
        }
        ::tcflush(m_fd, TCOFLUSH);
    }

    int m_fd;
    bool m_serialDevice;
    bool m_socket;
    bool m_streaming = false;
    const WakeSignal* m_wake = nullptr;
};

// Raw 8 data bits, no parity, one stop bit. Hardware flow control stays as the driver has it;
// software flow control would swallow the bytes 0x11 and 0x13 of the stream, so it goes.
void makeRaw8N1(termios& t) {
    t.c_iflag &=
        ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

SerialOpenResult failure(SerialOpenResult::Stage stage, int error, int fd,
                         const std::string& path) {
    if (fd >= 0) ::close(fd);
    SerialOpenResult result;
    result.stage = stage;
    result.error = error;
    result.path = path;
    return result;
}

}  // namespace

std::unique_ptr<SerialPort> makePosixLine(int fd, bool serialDevice) {
    return std::make_unique<PosixSerialPort>(fd, serialDevice);
}

std::unique_ptr<SerialPort> makeSocketLine(int fd) {
    return std::make_unique<PosixSerialPort>(fd, false, true);
}

namespace {

SerialOpenResult openNetworkLine(const std::string& path, int rate) {
    const std::optional<NetworkAddress> address = parseNetworkAddress(path);
    if (!address) return failure(SerialOpenResult::Stage::Open, kErrorBadAddress, -1, path);
    SerialOpenResult result = openNetworkSerialPort(*address, rate);
    result.path = path;
    return result;
}

}  // namespace

SerialOpenResult openSerialPort(const std::string& name, int rate) {
    using Stage = SerialOpenResult::Stage;
    const std::string path = serialPortPath(name);
    if (isNetworkAddress(path)) return openNetworkLine(path, rate);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failure(Stage::Open, errno, -1, path);
    // A file or another device that happens to be there is no port to open.
    if (!::isatty(fd)) return failure(Stage::Open, ENOTTY, fd, path);

    // The port belongs to one program at a time. TIOCEXCL alone does not stop root, and a
    // process keeps its lock until it closes the port.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return failure(Stage::Open, errno, fd, path);
    ::ioctl(fd, TIOCEXCL);

    termios t{};
    if (::tcgetattr(fd, &t) != 0) return failure(Stage::GetState, errno, fd, path);
    const std::optional<speed_t> speed = TermiosSpeed::speedOf(rate);
    if (!speed) return failure(Stage::SetState, EINVAL, fd, path);
    makeRaw8N1(t);
    if (::cfsetispeed(&t, *speed) != 0 || ::cfsetospeed(&t, *speed) != 0)
        return failure(Stage::SetState, errno, fd, path);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return failure(Stage::SetState, errno, fd, path);

    // A pseudo-terminal or an adapter without modem lines has no DTR and RTS to raise.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL)
        return failure(Stage::SetState, errno, fd, path);
    // Every received byte is echoed at once; an adapter that holds bytes back slows each echo.
    requestLowLatency(fd);

    SerialOpenResult result;
    result.path = path;
    result.port = makePosixLine(fd, true);
    return result;
}
