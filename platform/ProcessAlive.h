#pragma once

#include <cstdint>

// Whether a process with this id runs now (also one of another user's). Implemented once per
// operating system.
bool processAlive(std::int64_t pid);

// This process's id.
std::int64_t currentProcessId();
