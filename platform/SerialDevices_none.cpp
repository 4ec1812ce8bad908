// Systems where the program does not yet know how to list serial devices or find who holds
// one: the operator names ports through TABULON_COMn there.
#include "platform/PortUser.h"
#include "platform/SerialDeviceScan.h"

std::vector<DeviceRecord> scanTerminalDevices() {
    return {};
}

std::unique_ptr<SerialDeviceMonitor> SerialDeviceMonitor::create() {
    return nullptr;
}

PortUser findPortUser(const std::string&) {
    return {};
}

void requestLowLatency(int) {}
