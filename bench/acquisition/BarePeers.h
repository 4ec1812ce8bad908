#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

// The least a program could do in the worker's place, for comparison.

// Processor time (ns) of a thread that waits on the silent line `path` for `duration`, waking
// every 20 ms as the worker does to look at its stop flag.
long long bareSilentWaitCpuNs(const std::string& path, std::chrono::milliseconds duration);

// Answers the handshake of a type 0 calculator on `path`, then echoes `count` bytes (or until
// the line hangs up or `stop` is set): one thread with poll, read and write.
void bareEchoPeer(const std::string& path, std::size_t count, const std::atomic<bool>& stop);

// Reads `path` with poll and read of at most `chunk` bytes, as the worker does, and throws
// the bytes away, until hang-up or `stop`.
void bareDrain(const std::string& path, std::size_t chunk, const std::atomic<bool>& stop);
