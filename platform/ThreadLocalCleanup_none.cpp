#include "platform/ThreadLocalCleanup.h"

// glibc destroys a thread's C++ thread-locals before it frees their storage.
void orderThreadLocalCleanup() {}
