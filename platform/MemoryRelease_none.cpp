#include "platform/MemoryRelease.h"

void releaseFreedMemory() {}
