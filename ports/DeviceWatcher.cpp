#include "ports/DeviceWatcher.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/SerialDeviceScan.h"
#ifdef Q_OS_WIN
#include "ports/DeviceChangeFilter.h"
#endif

DeviceWatcher::DeviceWatcher(QObject* parent)
    : QObject(parent), m_monitor(SerialDeviceMonitor::create()) {
#ifdef Q_OS_WIN
    if (QCoreApplication* app = QCoreApplication::instance()) {
        m_windowsNotices = std::make_unique<DeviceChangeFilter>([this] { emit devicesChanged(); });
        app->installNativeEventFilter(m_windowsNotices.get());
    }
#endif
    if (!m_monitor) return;
    m_notifier = new QSocketNotifier(m_monitor->descriptor(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DeviceWatcher::take);
}

DeviceWatcher::~DeviceWatcher() {
    if (m_windowsNotices && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(m_windowsNotices.get());
}

void DeviceWatcher::take() {
    if (m_monitor->takeChanges()) emit devicesChanged();
}
