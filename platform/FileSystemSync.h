#pragma once

#include <string>

// Makes everything written so far to the file system that holds `path` durable: the data of
// the files and the renames. One call covers a whole batch of files. False when the system
// refuses. Implemented once per operating system.
bool syncFileSystemOf(const std::string& path);
