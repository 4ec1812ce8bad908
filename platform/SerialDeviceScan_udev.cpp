// Terminal devices through libudev: the one piece of the program that talks to it.
#include <libudev.h>
#include <unistd.h>

#include "platform/SerialDeviceScan.h"

namespace {

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

void put(DeviceRecord& record, const std::string& name, const char* value) {
    if (value && *value) record[name] = value;
}

// The attributes of the USB device and interface above `tty`, which the properties of a
// machine without the udev daemon's database lack.
void addUsbAttributes(udev_device* tty, DeviceRecord& record) {
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device"))
        for (const char* name : {"idVendor", "idProduct", "manufacturer", "product", "serial"})
            put(record, std::string("ATTRS{") + name + "}",
                udev_device_get_sysattr_value(usb, name));
    if (udev_device* interface =
            udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_interface"))
        put(record, "ATTRS{bInterfaceNumber}",
            udev_device_get_sysattr_value(interface, "bInterfaceNumber"));
}

DeviceRecord recordOf(udev_device* tty) {
    DeviceRecord record;
    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(tty)) {
        put(record, udev_list_entry_get_name(entry), udev_list_entry_get_value(entry));
    }
    put(record, "ATTR{type}", udev_device_get_sysattr_value(tty, "type"));
    if (udev_device* parent = udev_device_get_parent(tty)) {
        put(record, "SUBSYSTEMS", udev_device_get_subsystem(parent));
        for (udev_device* d = parent; d; d = udev_device_get_parent(d))
            if (const char* driver = udev_device_get_driver(d)) {
                put(record, "DRIVERS", driver);
                break;
            }
    }
    addUsbAttributes(tty, record);
    return record;
}

class UdevMonitor final : public SerialDeviceMonitor {
public:
    UdevMonitor(UdevPtr<udev> context, UdevPtr<udev_monitor> monitor)
        : m_context(std::move(context)), m_monitor(std::move(monitor)) {}

    int descriptor() const override { return udev_monitor_get_fd(m_monitor.get()); }

    bool takeChanges() override {
        bool changed = false;
        while (UdevPtr<udev_device> device{udev_monitor_receive_device(m_monitor.get())}) {
            const char* action = udev_device_get_action(device.get());
            if (action && (std::string(action) == "add" || std::string(action) == "remove"))
                changed = true;
        }
        return changed;
    }

private:
    UdevPtr<udev> m_context;
    UdevPtr<udev_monitor> m_monitor;
};

}  // namespace

std::vector<DeviceRecord> scanTerminalDevices() {
    std::vector<DeviceRecord> records;
    UdevPtr<udev> context{udev_new()};
    if (!context) return records;
    UdevPtr<udev_enumerate> enumeration{udev_enumerate_new(context.get())};
    if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "tty") < 0 ||
        udev_enumerate_scan_devices(enumeration.get()) < 0)
        return records;
    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
        UdevPtr<udev_device> tty{
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry))};
        if (tty) records.push_back(recordOf(tty.get()));
    }
    return records;
}

std::unique_ptr<SerialDeviceMonitor> SerialDeviceMonitor::create() {
    UdevPtr<udev> context{udev_new()};
    if (!context) return nullptr;
    // The daemon's notices come once it has made the by-id links; without a daemon only the
    // kernel's own are there.
    const char* source = ::access("/run/udev/control", F_OK) == 0 ? "udev" : "kernel";
    UdevPtr<udev_monitor> monitor{udev_monitor_new_from_netlink(context.get(), source)};
    if (!monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor.get()) < 0)
        return nullptr;
    return std::make_unique<UdevMonitor>(std::move(context), std::move(monitor));
}
