#include "platform/MemoryRelease.h"

void ReleaseFreedMemory() {}
