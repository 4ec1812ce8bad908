#include "platform/SerialDevice.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

std::string field(const DeviceRecord& record, const std::string& name) {
    const auto it = record.find(name);
    return it == record.end() ? std::string() : it->second;
}

// The first of `names` that the record has and that is not empty.
std::string firstField(const DeviceRecord& record, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        std::string value = field(record, name);
        if (!value.empty()) return value;
    }
    return {};
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// udev writes unsafe characters of ID_MODEL_ENC and its kin as "\x20".
std::string decodeUdevText(const std::string& encoded) {
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '\\' && i + 3 < encoded.size() && encoded[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(encoded[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(encoded[i + 3]))) {
            out += static_cast<char>(std::stoi(encoded.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += encoded[i];
        }
    }
    // Trailing blanks pad some devices' fixed-size strings.
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// A name as the device gives it, from the attribute, the encoded property or the plain one.
std::string deviceText(const DeviceRecord& record, const char* attribute, const char* encoded,
                       const char* plain, const char* fromDatabase) {
    std::string text = decodeUdevText(field(record, attribute));
    if (text.empty()) text = decodeUdevText(field(record, encoded));
    if (text.empty()) {
        text = field(record, plain);
        std::replace(text.begin(), text.end(), '_', ' ');
    }
    if (text.empty()) text = field(record, fromDatabase);
    return text;
}

std::string byIdName(const DeviceRecord& record) {
    static const std::string prefix = "/dev/serial/by-id/";
    std::istringstream links(field(record, "DEVLINKS"));
    for (std::string link; links >> link;)
        if (startsWith(link, prefix)) return link.substr(prefix.size());
    return {};
}

// The USB socket and interface a device hangs on ("1-2.4:1.0"), from its path in the device
// tree: the same for whatever ttyUSB number it gets there.
std::string usbLocation(const std::string& devPath) {
    std::string found;
    std::istringstream parts(devPath);
    for (std::string part; std::getline(parts, part, '/');) {
        const auto dash = part.find('-');
        const auto colon = part.find(':');
        if (dash != std::string::npos && colon != std::string::npos && dash < colon &&
            std::isdigit(static_cast<unsigned char>(part[0])))
            found = part;
    }
    return found;
}

const char* uartChipName(int type) {
    switch (type) {
        case 1:
            return "8250";
        case 2:
            return "16450";
        case 3:
            return "16550";
        case 4:
            return "16550A";
        case 8:
            return "16750";
        case 10:
            return "16C950";
        default:
            return nullptr;
    }
}

int uartType(const DeviceRecord& record) {
    const std::string type = field(record, "ATTR{type}");
    if (type.empty() || !std::all_of(type.begin(), type.end(), ::isdigit)) return -1;
    return std::stoi(type);
}

void describeUsb(const DeviceRecord& record, SerialDevice& device) {
    device.kind = SerialDevice::Kind::Usb;
    device.vendorId = lower(firstField(record, {"ATTRS{idVendor}", "ID_VENDOR_ID"}));
    device.productId = lower(firstField(record, {"ATTRS{idProduct}", "ID_MODEL_ID"}));
    device.serial = firstField(record, {"ATTRS{serial}", "ID_SERIAL_SHORT"});
    device.vendor = deviceText(record, "ATTRS{manufacturer}", "ID_VENDOR_ENC", "ID_VENDOR",
                               "ID_VENDOR_FROM_DATABASE");
    device.product =
        deviceText(record, "ATTRS{product}", "ID_MODEL_ENC", "ID_MODEL", "ID_MODEL_FROM_DATABASE");
    device.driver = firstField(record, {"ID_USB_DRIVER", "DRIVERS"});
    const std::string ids = device.vendorId + ":" + device.productId;
    device.description = device.product.empty() ? "USB-адаптер " + ids : device.product;

    // The serial number tells two adapters of one make apart wherever they are plugged; without
    // one, only the socket does.
    const std::string interface =
        firstField(record, {"ATTRS{bInterfaceNumber}", "ID_USB_INTERFACE_NUM"});
    if (!device.serial.empty())
        device.key =
            "usb-" + ids + "-" + device.serial + (interface.empty() ? "" : "-if" + interface);
    else
        device.key = "usb-" + ids + "-at-" + usbLocation(field(record, "DEVPATH"));
}

bool isUsb(const DeviceRecord& record) {
    const std::string bus = field(record, "SUBSYSTEMS");
    return field(record, "ID_BUS") == "usb" || bus == "usb" || bus == "usb-serial" ||
           !field(record, "ATTRS{idVendor}").empty();
}

// "VID_1A86&PID_7523" of a Windows hardware id, as lower-case hexadecimal.
std::string hardwareIdPart(const std::string& id, const std::string& tag) {
    const auto at = id.find(tag);
    return at == std::string::npos ? std::string() : lower(id.substr(at + tag.size(), 4));
}

// A COM port as Windows lists it: its number is the system's, and so is its name.
bool describeWindowsPort(const DeviceRecord& record, SerialDevice& device) {
    const std::string name = field(record, "PORTNAME");
    if (!startsWith(name, "COM") || name.size() < 4 ||
        !std::all_of(name.begin() + 3, name.end(), ::isdigit))
        return false;
    device.path = "\\\\.\\" + name;
    device.sysName = name;
    device.systemCom = std::stoi(name.substr(3));
    const std::string hardware = field(record, "HARDWARE_ID");
    device.vendorId = hardwareIdPart(hardware, "VID_");
    device.productId = hardwareIdPart(hardware, "PID_");
    device.kind = device.vendorId.empty() ? SerialDevice::Kind::Uart : SerialDevice::Kind::Usb;
    device.vendor = field(record, "MFG");
    device.driver = field(record, "SERVICE");
    device.description = firstField(record, {"FRIENDLY_NAME"});
    if (device.description.empty())
        device.description = device.builtIn() ? "Встроенный порт" : "USB-адаптер";
    device.key = "windows-" + name;
    return true;
}

// The port behind `record`, or false for what is no serial port of this machine.
bool describe(const DeviceRecord& record, SerialDevice& device) {
    if (record.count("PORTNAME")) return describeWindowsPort(record, device);
    device.path = field(record, "DEVNAME");
    const std::string devPath = field(record, "DEVPATH");
    if (device.path.empty()) return false;
    device.sysName = device.path.substr(device.path.rfind('/') + 1);
    device.byId = byIdName(record);
    // Consoles, pseudo-terminals and the like have no device of their own above them.
    if (startsWith(devPath, "/devices/virtual/") || field(record, "SUBSYSTEMS").empty())
        return false;
    if (isUsb(record)) {
        describeUsb(record, device);
        return true;
    }
    // The 8250 driver keeps placeholders for chips that are not there, with type 0.
    const int type = uartType(record);
    const bool uartName = startsWith(device.sysName, "ttyS");
    if (type == 0 || (uartName && type < 0)) return false;
    device.kind = uartName ? SerialDevice::Kind::Uart : SerialDevice::Kind::Platform;
    device.driver = field(record, "DRIVERS");
    const char* chip = uartName ? uartChipName(type) : nullptr;
    device.description = std::string(uartName ? "Встроенный порт" : "Порт платы") +
                         (chip ? std::string(" (") + chip + ")" : std::string());
    device.key = "builtin-" + device.sysName;
    return true;
}

int rank(SerialDevice::Kind kind) {
    switch (kind) {
        case SerialDevice::Kind::Uart:
            return 0;
        case SerialDevice::Kind::Platform:
            return 1;
        case SerialDevice::Kind::Usb:
            return 2;
    }
    return 3;
}

}  // namespace

bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = std::isdigit(static_cast<unsigned char>(a[i]));
        const bool db = std::isdigit(static_cast<unsigned char>(b[j]));
        if (da && db) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            const std::string na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
            const std::string ta = na.substr(std::min(na.find_first_not_of('0'), na.size()));
            const std::string tb = nb.substr(std::min(nb.find_first_not_of('0'), nb.size()));
            if (ta.size() != tb.size()) return ta.size() < tb.size();
            if (ta != tb) return ta < tb;
            i = ei, j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i, ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

std::vector<SerialDevice> serialDevicesFrom(const std::vector<DeviceRecord>& records) {
    std::vector<SerialDevice> devices;
    for (const DeviceRecord& record : records) {
        SerialDevice device;
        if (describe(record, device)) devices.push_back(std::move(device));
    }
    std::stable_sort(devices.begin(), devices.end(),
                     [](const SerialDevice& a, const SerialDevice& b) {
                         if (rank(a.kind) != rank(b.kind)) return rank(a.kind) < rank(b.kind);
                         return naturalLess(a.sysName, b.sysName);
                     });
    return devices;
}
