#include <malloc.h>

#include "platform/MemoryRelease.h"

void ReleaseFreedMemory() {
    ::malloc_trim(0);
}
