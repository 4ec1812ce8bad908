#include "platform/keyboard/KeyboardLocks.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>

KeyboardLocks* KeyboardLocks::instance() {
    static QPointer<KeyboardLocks> shared;
    if (!shared) shared = new KeyboardLocks(QCoreApplication::instance());
    return shared;
}

KeyboardLocks::KeyboardLocks(QObject* application)
    : QObject(application),
      m_notifications(makeLockNotificationFilter([this] { emit changed(); })) {
    application->installEventFilter(this);
    if (m_notifications)
        QCoreApplication::instance()->installNativeEventFilter(m_notifications.get());
}

KeyboardLocks::~KeyboardLocks() = default;

bool KeyboardLocks::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ApplicationActivate:
            emit changed();  // the keys may have changed while another program had them
            break;
        case QEvent::KeyRelease: {
            const int k = static_cast<QKeyEvent*>(event)->key();
            if (k == Qt::Key_CapsLock || k == Qt::Key_NumLock || k == Qt::Key_ScrollLock)
                emit changed();
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
