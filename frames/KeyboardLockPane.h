#pragma once

#include <QLabel>
#include <functional>

#include "platform/keyboard/KeyboardLocks.h"

// A status-bar pane that shows "CAP", "NUM" or "SCRL" while its lock key is on and nothing
// otherwise (also when the window system cannot tell). Its width always fits the text, so the
// other panes do not move when a key changes. It reads the state again whenever the shared
// KeyboardLocks says the keys may have changed, never on a timer.
class KeyboardLockPane : public QLabel {
    Q_OBJECT
public:
    using StateSource = std::function<LockState(LockKey)>;

    explicit KeyboardLockPane(LockKey key, QWidget* parent = nullptr,
                              StateSource source = queryLockState);

    LockKey key() const { return m_key; }
    // Reads the state again and shows it.
    void refresh();

private:
    LockKey m_key;
    QString m_text;
    StateSource m_source;
};
