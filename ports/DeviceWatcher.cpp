#include "ports/DeviceWatcher.h"

#include <QSocketNotifier>

#include "platform/SerialDeviceScan.h"

DeviceWatcher::DeviceWatcher(QObject* parent)
    : QObject(parent), m_monitor(SerialDeviceMonitor::create()) {
    if (!m_monitor) return;
    m_notifier = new QSocketNotifier(m_monitor->descriptor(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DeviceWatcher::take);
}

DeviceWatcher::~DeviceWatcher() = default;

void DeviceWatcher::take() {
    if (m_monitor->takeChanges()) emit devicesChanged();
}
