#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <fstream>

#include "platform/ProcessPlace.h"

namespace {

std::string firstLineOf(const char* path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

}  // namespace

// The boot id changes with every boot and is the same in every container of a kernel; the pid
// namespace tells the containers apart. The machine id lasts across boots (a container may have
// its own, or none): with the host name it tells the machines of one shared folder apart.
ProcessPlace currentProcessPlace() {
    ProcessPlace place;
    const std::string machineId = firstLineOf("/etc/machine-id");
    const std::string host = hostName();
    if (!machineId.empty() || !host.empty()) place.machine = host + '/' + machineId;
    place.boot = firstLineOf("/proc/sys/kernel/random/boot_id");
    struct stat ns {};
    if (::stat("/proc/self/ns/pid", &ns) == 0)
        place.idSpace = std::to_string(ns.st_dev) + ':' + std::to_string(ns.st_ino);
    return place;
}
