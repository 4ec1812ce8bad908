#include "platform/MemoryRelease.h"

void releaseFreedMemory() {}

void keepLargeBlocksInTheHeap() {}
