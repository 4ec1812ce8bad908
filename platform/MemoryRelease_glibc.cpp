#include <malloc.h>

#include "platform/MemoryRelease.h"

void releaseFreedMemory() {
    ::malloc_trim(0);
}

void keepLargeBlocksInTheHeap() {
    // The largest threshold glibc takes on 64-bit systems; a fixed one also stops it adapting.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
}
