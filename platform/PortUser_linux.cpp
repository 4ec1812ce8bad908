// Who holds a port, from /proc; and the serial driver's low-latency flag.
#include <dirent.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/PortUser.h"

namespace {

std::vector<int> processIds() {
    std::vector<int> pids;
    std::unique_ptr<DIR, int (*)(DIR*)> proc(::opendir("/proc"), ::closedir);
    if (!proc) return pids;
    while (const dirent* entry = ::readdir(proc.get()))
        if (std::isdigit(static_cast<unsigned char>(entry->d_name[0])))
            pids.push_back(std::atoi(entry->d_name));
    return pids;
}

std::string programName(int pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode)) return a.st_rdev == b.st_rdev;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool holds(int pid, const struct stat& port) {
    const std::string dir = "/proc/" + std::to_string(pid) + "/fd";
    std::unique_ptr<DIR, int (*)(DIR*)> fds(::opendir(dir.c_str()), ::closedir);
    if (!fds) return false;  // another user's process
    while (const dirent* entry = ::readdir(fds.get())) {
        struct stat st {};
        if (entry->d_name[0] != '.' && ::stat((dir + "/" + entry->d_name).c_str(), &st) == 0 &&
            sameFile(st, port))
            return true;
    }
    return false;
}

// Services that open serial ports as they appear: the modem manager probes every new ttyACM,
// the braille display daemon claims the CH340 and CP210x adapters it mistakes for displays.
bool takesNewPorts(const std::string& program) {
    return program == "ModemManager" || program == "brltty" || program == "gpsd";
}

}  // namespace

PortUser findPortUser(const std::string& path) {
    struct stat port {};
    if (::stat(path.c_str(), &port) != 0) return {};
    const int self = static_cast<int>(::getpid());
    PortUser likely;
    for (const int pid : processIds()) {
        if (pid == self) continue;
        if (holds(pid, port)) return {programName(pid), pid, true};
        if (likely.program.empty()) {
            const std::string name = programName(pid);
            if (takesNewPorts(name)) likely = {name, pid, false};
        }
    }
    return likely;
}

void requestLowLatency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY)) return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serial);
}
