#include "frames/KeyboardLockPane.h"

#include <QFontMetrics>

#include "res/Strings.h"

namespace {

unsigned indicatorId(LockKey key) {
    switch (key) {
        case LockKey::Caps:
            return id::ID_INDICATOR_CAPS;
        case LockKey::Num:
            return id::ID_INDICATOR_NUM;
        case LockKey::Scroll:
            return id::ID_INDICATOR_SCRL;
    }
    return 0;
}

}  // namespace

KeyboardLockPane::KeyboardLockPane(LockKey key, QWidget* parent, StateSource source)
    : QLabel(parent),
      m_key(key),
      m_text(res::loadString(indicatorId(key))),
      m_source(std::move(source)) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setMinimumWidth(fontMetrics().horizontalAdvance(m_text) + 2 * fontMetrics().averageCharWidth());
    connect(KeyboardLocks::instance(), &KeyboardLocks::changed, this, &KeyboardLockPane::refresh);
    refresh();
}

void KeyboardLockPane::refresh() {
    setText(m_source(m_key) == LockState::On ? m_text : QString());
}
