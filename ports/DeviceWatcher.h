#pragma once

#include <QObject>
#include <memory>

class QAbstractNativeEventFilter;
class QSocketNotifier;
class SerialDeviceMonitor;

// Tells the windows when a serial device is plugged in or pulled out, as the system announces
// it: the monitor's descriptor under a socket notifier, or on Windows the windows' own device
// notices; nothing polled. Silent where the system announces nothing.
class DeviceWatcher : public QObject {
    Q_OBJECT
public:
    explicit DeviceWatcher(QObject* parent = nullptr);
    ~DeviceWatcher() override;

    bool watching() const { return m_notifier != nullptr || m_windowsNotices != nullptr; }

signals:
    void devicesChanged();

private:
    void take();

    std::unique_ptr<SerialDeviceMonitor> m_monitor;
    QSocketNotifier* m_notifier = nullptr;
    std::unique_ptr<QAbstractNativeEventFilter> m_windowsNotices;
};
