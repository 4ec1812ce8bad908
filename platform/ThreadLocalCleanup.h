#pragma once

// Lets every thread-local object be destroyed while its storage still exists. Called first thing
// in main, before any thread-local is touched. One file per C++ runtime, chosen in CMake.
void orderThreadLocalCleanup();
