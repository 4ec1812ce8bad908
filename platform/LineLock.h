#pragma once

#include <memory>
#include <string>

// A claim on one line that other programs and other copies of this one respect, so that two
// exchanges never talk over each other on it. A serial device is claimed the way Linux programs
// have long claimed one (minicom, cu, picocom, the UUCP tools): a lock file
// `/var/lock/LCK..<device>` holding the owner's pid, taken before the device is opened, so a
// line in use is never even touched; a lock of a process that has died is stale and removed by
// the next taker. A network server has no such convention; it is claimed by a `flock` on a file
// of our own beside them (`/var/lock/tabulon-line-<address>`), which the system lets go when
// its process ends. Both live in the one folder every user shares, so a timer's collector and
// the windows of a person see each other's claims. `TABULON_LOCK_DIR` names another folder
// (tests); where the folder may not be written, the user's runtime folder holds the locks.
// Windows has no lock-file convention, and a COM port opened is already exclusive; there every
// line is claimed as a network server is here: a lock (LockFileEx) on a file in the folder all
// users share (%ProgramData%\Tabulon\locks; else %TEMP%\Tabulon), which the system lets go when
// its process ends, so a crash leaves no stale claim. Implemented once per operating system.
class LineLock {
public:
    struct Attempt {
        std::unique_ptr<LineLock> lock;  // set when the line is ours now
        long long holder = 0;            // who holds it when it is not (0: not known)
        int error = 0;                   // errno when the lock could not be looked at at all
    };

    // `device` is a canonical device path ("/dev/ttyUSB0"); `key` a network line's address as
    // the line key writes it ("192.0.2.7:4001").
    static Attempt tryDevice(const std::string& device);
    static Attempt tryNetwork(const std::string& key);

    ~LineLock();
    LineLock(const LineLock&) = delete;
    LineLock& operator=(const LineLock&) = delete;

    // The lock file, for the log and for tests.
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
#ifdef _WIN32
    LineLock(std::string path, void* file) : m_path(std::move(path)), m_file(file) {}
    static Attempt tryFileLock(const std::string& line);

    void* m_file = nullptr;  // the handle holding the lock
#else
    LineLock(std::string path, int fd) : m_path(std::move(path)), m_fd(fd) {}
    static Attempt tryFlock(const std::string& path);

    int m_fd = -1;  // the flock's descriptor; -1 for a UUCP lock file, removed when let go
#endif
};
