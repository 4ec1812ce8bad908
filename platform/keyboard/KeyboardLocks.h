#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QAbstractNativeEventFilter;

// The state of the keyboard's lock keys as the window system reports it.
enum class LockKey { Caps, Num, Scroll };
enum class LockState { Off, On, Unknown };

// Asks the window system the program's GUI runs on; Unknown when it cannot tell (no GUI yet, a
// platform without lock indicators such as offscreen, or a key the keyboard does not have).
// Call on the GUI thread.
LockState queryLockState(LockKey key);

// Says when the lock keys may have changed, from events that come anyway, so that no one asks
// the window system on a timer: the window system's own notifications where it sends them
// (X11 sends them for keys pressed in any program), else the lock keys pressed in this program
// and the program becoming active again.
class KeyboardLocks : public QObject {
    Q_OBJECT
public:
    // The one watcher of the running application, made on first use; it goes with the
    // application.
    static KeyboardLocks* instance();
    ~KeyboardLocks() override;

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit KeyboardLocks(QObject* application);

    std::unique_ptr<QAbstractNativeEventFilter> m_notifications;
};

// The filter that turns the window system's lock notifications into calls of `changed`, made
// by the file chosen for the platform; null where the running window system sends none.
std::unique_ptr<QAbstractNativeEventFilter> makeLockNotificationFilter(
    std::function<void()> changed);
