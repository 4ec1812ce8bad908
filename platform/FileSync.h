#pragma once

#include <string>

// Makes everything written so far to the file system that holds `path` durable: the data of
// the files and the renames. One call covers a whole batch of files. False when the system
// refuses. Implemented once per operating system.
bool SyncFileSystemOf(const std::string& path);

// Gives the memory the process has freed back to the system, after a burst of work that needed
// much of it for a short time.
void ReleaseFreedMemory();

// Lets the calling thread yield the processor to every other thread of normal priority: for
// work that must never hold up the line.
void LowerThreadPriority();
