#include <malloc.h>

#include "platform/MemoryRelease.h"

void releaseFreedMemory() {
    ::malloc_trim(0);
}
