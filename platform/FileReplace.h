#pragma once

#include <string>
#include <system_error>

// Gives the written file `from` the name `to` in one step, replacing the file of that name: the
// old text or the new one stands there at every moment. On Windows the replacement is written
// through to the disk before the call returns (MoveFileEx's write-through), as a rename is
// made durable elsewhere by syncing the folder. Paths as systemPath() gives them.
std::error_code replaceFile(const std::string& from, const std::string& to);
