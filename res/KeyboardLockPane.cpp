#include "res/KeyboardLockPane.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>

#include "res/Strings.h"

namespace {

unsigned IndicatorId(LockKey key) {
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

constexpr int kPollMs = 500;

}  // namespace

KeyboardLockPane::KeyboardLockPane(LockKey key, QWidget* parent, StateSource source)
    : QLabel(parent),
      m_key(key),
      m_text(res::LoadString(IndicatorId(key))),
      m_source(std::move(source)) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setMinimumWidth(fontMetrics().horizontalAdvance(m_text) + 2 * fontMetrics().averageCharWidth());
    QCoreApplication::instance()->installEventFilter(this);
    connect(&m_poll, &QTimer::timeout, this, &KeyboardLockPane::refresh);
    m_poll.start(kPollMs);
    refresh();
}

void KeyboardLockPane::refresh() {
    setText(m_source(m_key) == LockState::On ? m_text : QString());
}

bool KeyboardLockPane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ApplicationActivate) refresh();
    if (event->type() == QEvent::KeyRelease) {
        const int k = static_cast<QKeyEvent*>(event)->key();
        if (k == Qt::Key_CapsLock || k == Qt::Key_NumLock || k == Qt::Key_ScrollLock) refresh();
    }
    return QLabel::eventFilter(watched, event);
}
