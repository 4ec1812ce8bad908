#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/LineLock.h"

namespace {

std::string lockFolder() {
    if (const char* dir = std::getenv("TABULON_LOCK_DIR"); dir && *dir) return dir;
    return "/var/lock";
}

// Where locks go when the shared folder refuses us: seen by this user's programs only.
std::string privateFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = runtime && *runtime ? std::string(runtime) + "/tabulon"
                                          : "/tmp/tabulon-" + std::to_string(getuid());
    ::mkdir(dir.c_str(), 0700);
    return dir;
}

bool writableFolder(const std::string& dir) {
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

// The name under the lock folder: what follows /dev/, its slashes made underscores
// (/dev/pts/3 gives LCK..pts_3), as the other programs that lock ptys and USB devices name it.
std::string deviceLockName(const std::string& device) {
    std::string name = device.rfind("/dev/", 0) == 0 ? device.substr(5) : device;
    for (char& c : name)
        if (c == '/') c = '_';
    return "LCK.." + name;
}

std::string networkLockName(const std::string& key) {
    std::string name = "tabulon-line-" + key;
    for (char& c : name)
        if (c == '/' || c == ':' || c == '[' || c == ']') c = '_';
    return name;
}

// The pid in a UUCP lock file: ten ASCII characters and a newline, as written by
// "%10d\n"; 0 when the file holds none.
long long lockHolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return 0;
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return 0;
    char* end = nullptr;
    const long long pid = std::strtoll(text, &end, 10);
    return end != text && pid > 0 ? pid : 0;
}

bool leftEmpty(const std::string& path) {
    struct stat file {};
    return ::stat(path.c_str(), &file) == 0 && std::time(nullptr) - file.st_mtime > 5;
}

bool alive(long long pid) {
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

// The lock file is written whole under a name of its own and linked into place, so another
// taker sees either no lock or a complete one, never an empty file.
int linkLockFile(const std::string& path) {
    const std::string temporary = path + ".tabulon" + std::to_string(getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%10d\n", int(getpid()));
    const bool written = ::write(fd, text, std::size_t(n)) == n;
    ::fchmod(fd, 0644);  // readable by every program that looks whose lock it is
    ::close(fd);
    const int error = !written ? EIO : ::link(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
    ::unlink(temporary.c_str());
    return error;
}

}  // namespace

LineLock::Attempt LineLock::tryDevice(const std::string& device) {
    const std::string dir = lockFolder();
    if (!writableFolder(dir)) return tryFlock(privateFolder() + "/" + deviceLockName(device));
    const std::string path = dir + "/" + deviceLockName(device);
    Attempt attempt;
    // Twice at most: once more after a stale lock was removed.
    for (int round = 0; round < 2; ++round) {
        const int error = linkLockFile(path);
        if (error == 0) {
            attempt.lock.reset(new LineLock(path, -1));
            return attempt;
        }
        if (error != EEXIST) {
            attempt.error = error;
            return attempt;
        }
        attempt.holder = lockHolder(path);
        // Our own pid: another exchange of this process has the line.
        if (attempt.holder != 0 && (attempt.holder == getpid() || alive(attempt.holder)))
            return attempt;
        // Other programs create the file first and write their pid after: an empty one is
        // someone's lock in the making, until it has stood empty for a while.
        if (attempt.holder == 0 && !leftEmpty(path)) return attempt;
        // A dead owner, or no pid at all: left behind by a crash or a power cut.
        ::unlink(path.c_str());
    }
    return attempt;
}

LineLock::Attempt LineLock::tryNetwork(const std::string& key) {
    const std::string dir = lockFolder();
    const std::string folder = writableFolder(dir) ? dir : privateFolder();
    return tryFlock(folder + "/" + networkLockName(key));
}

LineLock::Attempt LineLock::tryFlock(const std::string& path) {
    Attempt attempt;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    // Another user's file in the shared folder: a lock needs only reading.
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        attempt.error = errno;
        return attempt;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        attempt.error = errno == EWOULDBLOCK ? 0 : errno;
        ::close(fd);
        if (attempt.error == 0) attempt.holder = lockHolder(path);
        return attempt;
    }
    // Who holds it, for a message of whoever comes next; the lock is the flock, not this.
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%10d\n", int(getpid()));
    if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, text, std::size_t(n), 0);
    attempt.lock.reset(new LineLock(path, fd));
    return attempt;
}

LineLock::~LineLock() {
    if (m_fd >= 0)
        ::close(m_fd);  // the file stays: removing a flock's file races with the next taker
    else if (lockHolder(m_path) == getpid())
        ::unlink(m_path.c_str());
}
