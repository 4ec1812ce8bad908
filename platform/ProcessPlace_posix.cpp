#include <unistd.h>

#include <climits>

#include "platform/ProcessPlace.h"

// Without a boot id or process id spaces the system tells only the machine: a file of another
// boot, or of a process this one cannot see, cannot be judged and waits until it is old.
ProcessPlace currentProcessPlace() {
    ProcessPlace place;
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) == 0 && name[0] != '\0')
        place.machine = std::string(name) + '/' + std::to_string(::gethostid());
    return place;
}
