#include <windows.h>

#include <QAbstractNativeEventFilter>

#include "platform/keyboard/KeyboardLocks.h"

// The low bit of GetKeyState is the toggle of a lock key, as this program's input queue last saw
// it; the key pressed in another program shows when this one becomes active again.
LockState queryLockState(LockKey key) {
    const int virtualKey = key == LockKey::Caps  ? VK_CAPITAL
                           : key == LockKey::Num ? VK_NUMLOCK
                                                 : VK_SCROLL;
    return (GetKeyState(virtualKey) & 1) ? LockState::On : LockState::Off;
}

// Windows tells the lock keys pressed in other programs only to a system-wide keyboard hook,
// which a status bar does not warrant: the keys pressed here and the activation do.
std::unique_ptr<QAbstractNativeEventFilter> makeLockNotificationFilter(std::function<void()>) {
    return nullptr;
}
