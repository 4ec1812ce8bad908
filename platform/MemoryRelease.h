#pragma once

// Gives the memory the process has freed back to the system, after a burst of work that needed
// much of it for a short time. Where the allocator cannot, nothing. One file per allocator,
// chosen in CMake.
void releaseFreedMemory();

// Large blocks (a form's text, its layout) come from the heap rather than from a mapping of
// their own: a fresh mapping is faulted in page by page at every opening and handed back at every
// close, which made opening a large form twice as slow as it need be. Memory still goes back to
// the system through releaseFreedMemory. Called once, at start-up.
void keepLargeBlocksInTheHeap();
