// The COM ports of a Windows machine: every COMn the system has a name for (QueryDosDevice, which
// also sees the ports of drivers that list no device, and Wine's mapped ones), with what SetupAPI
// tells of the ports it knows: the driver's friendly name, the hardware id, the driver.
#include <windows.h>
// The class GUIDs are defined here, not taken from a library MinGW does not have them in.
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>

#include <map>
#include <vector>

#include "platform/PortUser.h"
#include "platform/SerialDeviceScan.h"
#include "platform/Win32Text.h"

namespace {

// The names of every COMn the system knows.
std::vector<std::string> comNames() {
    std::vector<wchar_t> names(1 << 16);
    DWORD length = 0;
    while ((length = QueryDosDeviceW(nullptr, names.data(), DWORD(names.size()))) == 0 &&
           GetLastError() == ERROR_INSUFFICIENT_BUFFER && names.size() < (1u << 22))
        names.resize(names.size() * 4);
    std::vector<std::string> found;
    for (const wchar_t* p = names.data(); p < names.data() + length && *p; p += wcslen(p) + 1) {
        const std::wstring_view name(p);
        if (name.size() > 3 && name.substr(0, 3) == L"COM" &&
            name.find_first_not_of(L"0123456789", 3) == std::wstring_view::npos)
            found.push_back(Win32Text::utf8(name));
    }
    return found;
}

std::string property(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD which) {
    wchar_t value[512] = {};
    // A multi-string (the hardware ids) gives its first string.
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, which, nullptr,
                                           reinterpret_cast<BYTE*>(value), sizeof value - 2,
                                           nullptr))
        return {};
    return Win32Text::utf8(value);
}

std::string portNameOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    const HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    wchar_t name[64] = {};
    DWORD size = sizeof name - 2;
    const bool ok = RegQueryValueExW(key, L"PortName", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(name), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok ? Win32Text::utf8(name) : std::string();
}

// The ports SetupAPI lists, by their names.
std::map<std::string, DeviceRecord> describedPorts() {
    std::map<std::string, DeviceRecord> ports;
    const HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return ports;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        const std::string name = portNameOf(set, device);
        if (name.empty()) continue;
        ports[name] = {{"PORTNAME", name},
                       {"FRIENDLY_NAME", property(set, device, SPDRP_FRIENDLYNAME)},
                       {"HARDWARE_ID", property(set, device, SPDRP_HARDWAREID)},
                       {"SERVICE", property(set, device, SPDRP_SERVICE)},
                       {"MFG", property(set, device, SPDRP_MFG)}};
    }
    SetupDiDestroyDeviceInfoList(set);
    return ports;
}

}  // namespace

std::vector<DeviceRecord> scanTerminalDevices() {
    std::map<std::string, DeviceRecord> ports = describedPorts();
    for (const std::string& name : comNames())
        if (!ports.count(name)) ports[name] = {{"PORTNAME", name}};
    std::vector<DeviceRecord> records;
    for (auto& [name, record] : ports) records.push_back(std::move(record));
    return records;
}

// Windows announces ports that come and go to the windows (WM_DEVICECHANGE), not on a
// descriptor: the Ports window listens for it there.
std::unique_ptr<SerialDeviceMonitor> SerialDeviceMonitor::create() {
    return nullptr;
}

// Windows does not tell who holds a COM port open.
PortUser findPortUser(const std::string&) {
    return {};
}

// The drivers of USB adapters on Windows take their latency from the device's own settings.
void requestLowLatency(int) {}
