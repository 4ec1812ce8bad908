#include <QGuiApplication>

#include "platform/keyboard/KeyboardLocks.h"

// Xlib's macros (None, Bool, KeyPress...) clash with Qt's names: include it last.
#include <X11/XKBlib.h>

namespace {

const char* IndicatorName(LockKey key) {
    switch (key) {
        case LockKey::Caps:
            return "Caps Lock";
        case LockKey::Num:
            return "Num Lock";
        case LockKey::Scroll:
            return "Scroll Lock";
    }
    return "";
}

Display* QtDisplay() {
    auto* app = qGuiApp;
    if (!app) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

}  // namespace

LockState QueryLockState(LockKey key) {
    Display* display = QtDisplay();
    if (!display) return LockState::Unknown;
    // Indicators are looked up by name: their numbers differ between keyboard maps.
    const Atom atom = XInternAtom(display, IndicatorName(key), True);
    if (atom == 0) return LockState::Unknown;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return LockState::Unknown;
    return on ? LockState::On : LockState::Off;
}
