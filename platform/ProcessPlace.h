#pragma once

#include <string>

// Where this process runs, beyond its id: what tells a process of another machine, of an
// earlier boot of this one or of another process id space on it (a container) from the
// processes this one can see. A part the system does not tell is left empty. Implemented once
// per operating system.
struct ProcessPlace {
    std::string machine;  // the machine: its host name and its lasting id
    std::string boot;     // the running boot of its kernel
    std::string idSpace;  // the space of process ids this process's id belongs to
};

ProcessPlace currentProcessPlace();
