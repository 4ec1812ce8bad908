#include "bench/acquisition/BarePeers.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

int openRaw(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fd;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    return fd;
}

long long threadCpuNs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// Waits for one byte; false on hang-up or stop.
bool readByte(int fd, unsigned char& b, const std::atomic<bool>& stop) {
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const ssize_t n = ::read(fd, &b, 1);
        if (n == 1) return true;
        if (n == 0 || (n < 0 && errno != EAGAIN)) return false;
    }
    return false;
}

}  // namespace

long long bareSilentWaitCpuNs(const std::string& path, std::chrono::milliseconds duration) {
    const int fd = openRaw(path);
    if (fd < 0) return -1;
    const long long start = threadCpuNs();
    const auto end = std::chrono::steady_clock::now() + duration;
    unsigned char buffer[64];
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) (void)!::read(fd, buffer, sizeof buffer);
    }
    const long long used = threadCpuNs() - start;
    ::close(fd);
    return used;
}

void bareEchoPeer(const std::string& path, std::size_t count, const std::atomic<bool>& stop) {
    const int fd = openRaw(path);
    if (fd < 0) return;
    unsigned char b = 0x55;
    (void)!::write(fd, &b, 1);
    for (int i = 0; i < 2; ++i)  // the reply 0x00 0x55
        if (!readByte(fd, b, stop)) return (void)::close(fd);
    for (std::size_t i = 0; i < count && readByte(fd, b, stop); ++i) {
        ssize_t n;
        while ((n = ::write(fd, &b, 1)) != 1 && !stop) {
            if (n < 0 && errno != EAGAIN) return (void)::close(fd);
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 20);
        }
    }
    ::close(fd);
}

void bareDrain(const std::string& path, std::size_t chunk, const std::atomic<bool>& stop) {
    const int fd = openRaw(path);
    if (fd < 0) return;
    std::vector<unsigned char> buffer(chunk);
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n == 0 || (n < 0 && errno != EAGAIN)) break;
    }
    ::close(fd);
}
