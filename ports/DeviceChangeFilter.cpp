#include "ports/DeviceChangeFilter.h"

#include <windows.h>
#include <dbt.h>

#include <QByteArray>

bool DeviceChangeFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "windows_generic_MSG") return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_DEVICECHANGE &&
        (msg->wParam == DBT_DEVICEARRIVAL || msg->wParam == DBT_DEVICEREMOVECOMPLETE)) {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(msg->lParam);
        if (header && header->dbch_devicetype == DBT_DEVTYP_PORT) m_changed();
    }
    return false;  // the other windows hear of it too
}
