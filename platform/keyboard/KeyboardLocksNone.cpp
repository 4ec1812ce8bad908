#include <QAbstractNativeEventFilter>

#include "platform/keyboard/KeyboardLocks.h"

// Window systems whose lock state we cannot read: the panes stay empty.
LockState queryLockState(LockKey) {
    return LockState::Unknown;
}

std::unique_ptr<QAbstractNativeEventFilter> makeLockNotificationFilter(std::function<void()>) {
    return nullptr;
}
