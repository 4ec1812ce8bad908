#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/OwnFile.h"

OwnFile::OwnFile(const std::string& path) {
    // A device is not even opened: opening some does something.
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) return;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_open = true;
    m_size = st.st_size;
    m_modifiedMs = std::int64_t(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    m_links = st.st_nlink;
    m_id = {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}

OwnFile::~OwnFile() {
    if (m_fd >= 0) ::close(m_fd);
}

std::string OwnFile::head(std::int64_t max) const {
    std::string bytes(static_cast<std::size_t>(max > 0 ? max : 0), '\0');
    std::size_t got = 0;
    while (m_fd >= 0 && got < bytes.size()) {
        const ssize_t n = ::pread(m_fd, bytes.data() + got, bytes.size() - got, off_t(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += std::size_t(n);
    }
    bytes.resize(got);
    return bytes;
}

bool OwnFile::isAt(const std::string& path) const {
    struct stat st {};
    return m_fd >= 0 && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           Id{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)} == m_id;
}
