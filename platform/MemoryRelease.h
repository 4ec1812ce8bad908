#pragma once

// Gives the memory the process has freed back to the system, after a burst of work that needed
// much of it for a short time. Where the allocator cannot, nothing. One file per allocator,
// chosen in CMake.
void releaseFreedMemory();
