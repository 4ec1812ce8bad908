// Prints where it runs, one part a line: machine, boot, process id space.
#include <cstdio>

#include "platform/ProcessPlace.h"

int main() {
    const ProcessPlace place = currentProcessPlace();
    std::printf("%s\n%s\n%s\n", place.machine.c_str(), place.boot.c_str(), place.idSpace.c_str());
}
