#pragma once

// The worker hands its calls to the UI thread through Qt's queued connections, and Qt's event
// queue orders each call after the code that posted it. Debian's Qt is built without
// ThreadSanitizer, so TSan cannot see that order and would report every hand-over as a race.
// These marks state the order at the one place the hand-over happens: posted() before the
// call is queued, received() first thing in the call, and the same back for a waiting worker.
// A race anywhere else still shows. Outside a TSan build they are empty.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);

namespace handover {
inline void posted(void* channel) {
    __tsan_release(channel);
}
inline void received(void* channel) {
    __tsan_acquire(channel);
}
}  // namespace handover
#else
namespace handover {
inline void posted(void*) {}
inline void received(void*) {}
}  // namespace handover
#endif
