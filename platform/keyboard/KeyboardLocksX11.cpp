#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>

#include "platform/keyboard/KeyboardLocks.h"

// Xlib's macros (None, Bool, KeyPress...) clash with Qt's names: include it last.
#include <X11/XKBlib.h>
#include <X11/extensions/XKBproto.h>

namespace {

constexpr LockKey kLockKeys[] = {LockKey::Caps, LockKey::Num, LockKey::Scroll};

const char* indicatorName(LockKey key) {
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

Display* qtDisplay() {
    auto* app = qGuiApp;
    if (!app) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

// Indicators are looked up by name: their numbers differ between keyboard maps. False when the
// keyboard map has no such indicator.
bool namedIndicator(Display* display, LockKey key, int* index, bool* on) {
    const Atom atom = XInternAtom(display, indicatorName(key), True);
    if (atom == 0) return false;
    Bool state = False;
    if (!XkbGetNamedIndicator(display, atom, index, &state, nullptr, nullptr)) return false;
    if (on) *on = state;
    return true;
}

// The server's XKB events reach Qt's connection as raw protocol events; Qt itself reads only
// the keyboard map and modifier state ones, and leaves the indicator changes to us.
class XkbIndicatorFilter final : public QAbstractNativeEventFilter {
public:
    XkbIndicatorFilter(Display* display, int eventBase, std::function<void()> changed)
        : m_display(display), m_eventBase(eventBase), m_changed(std::move(changed)) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        static_assert(sizeof(xkbIndicatorNotify) == sz_xkbIndicatorNotify);
        // Every event starts with the same 32 bytes as on the wire.
        const auto* event = static_cast<const xkbIndicatorNotify*>(message);
        if ((event->type & 0x7f) != m_eventBase || event->xkbType != XkbIndicatorStateNotify)
            return false;
        if (event->changed & lockIndicators()) m_changed();
        return false;
    }

private:
    // Asked at each change rather than once: a new keyboard map may number them anew.
    CARD32 lockIndicators() const {
        CARD32 mask = 0;
        for (LockKey key : kLockKeys) {
            int index = -1;
            if (namedIndicator(m_display, key, &index, nullptr) && index >= 0 && index < 32)
                mask |= CARD32(1) << index;
        }
        return mask;
    }

    Display* m_display;
    int m_eventBase;
    std::function<void()> m_changed;
};

}  // namespace

LockState queryLockState(LockKey key) {
    Display* display = qtDisplay();
    bool on = false;
    if (!display || !namedIndicator(display, key, nullptr, &on)) return LockState::Unknown;
    return on ? LockState::On : LockState::Off;
}

std::unique_ptr<QAbstractNativeEventFilter> makeLockNotificationFilter(
    std::function<void()> changed) {
    Display* display = qtDisplay();
    if (!display) return nullptr;
    int opcode = 0, eventBase = 0, errorBase = 0;
    int major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor))
        return nullptr;
    // Only the indicator events are chosen here: the selection of every other XKB event stays
    // as Qt made it on this shared connection.
    if (!XkbSelectEvents(display, XkbUseCoreKbd, XkbIndicatorStateNotifyMask,
                         XkbIndicatorStateNotifyMask))
        return nullptr;
    XFlush(display);
    return std::make_unique<XkbIndicatorFilter>(display, eventBase, std::move(changed));
}
