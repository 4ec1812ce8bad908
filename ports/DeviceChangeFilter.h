#pragma once

#include <QAbstractNativeEventFilter>
#include <functional>

// Windows announces a COM port that comes or goes to every top-level window (WM_DEVICECHANGE)
// rather than on a descriptor: this filter of the application's native events calls `changed`
// for each such notice.
class DeviceChangeFilter final : public QAbstractNativeEventFilter {
public:
    explicit DeviceChangeFilter(std::function<void()> changed) : m_changed(std::move(changed)) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::function<void()> m_changed;
};
