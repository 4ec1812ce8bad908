#pragma once

#include <map>
#include <string>
#include <vector>

// What the system tells about one terminal device, in the words of udev: its properties
// (DEVNAME, DEVPATH, DEVLINKS, ID_BUS, ID_VENDOR_ID, ID_MODEL_ID, ID_SERIAL_SHORT, ID_MODEL_ENC,
// ID_USB_DRIVER, ID_USB_INTERFACE_NUM, ID_PATH...) plus, written as in a udev rule, the
// attributes the properties may lack: "ATTR{type}" of the terminal, and of the devices above it
// "ATTRS{idVendor}", "ATTRS{idProduct}", "ATTRS{manufacturer}", "ATTRS{product}",
// "ATTRS{serial}", "ATTRS{bInterfaceNumber}", "SUBSYSTEMS" (the bus of the parent device) and
// "DRIVERS" (the driver of the nearest device above that has one). A record is what
// `udevadm info` shows, so a machine's devices can be written down and replayed.
// On Windows a record holds what the system tells of a COM port instead: "PORTNAME" ("COM3"),
// and from SetupAPI "FRIENDLY_NAME" ("USB-SERIAL CH340 (COM3)"), "HARDWARE_ID"
// ("USB\VID_1A86&PID_7523&REV_0254"), "SERVICE" (the driver) and "MFG".
using DeviceRecord = std::map<std::string, std::string>;

// One serial port of the machine.
struct SerialDevice {
    enum class Kind {
        Uart,      // a built-in UART (ttyS*) whose driver found the chip
        Platform,  // a port of the board or an expansion card known to the kernel by its bus
        Usb,       // a USB adapter (ttyUSB*, ttyACM*)
    };
    Kind kind = Kind::Uart;
    std::string path;     // "/dev/ttyUSB0"
    std::string sysName;  // "ttyUSB0"
    std::string byId;     // "usb-FTDI_FT232R_USB_UART_A12345-if00-port0"; empty when udev has none
    std::string vendorId, productId, serial;  // USB only; hexadecimal ids in lower case
    std::string vendor, product;              // USB only, as the device names itself
    std::string driver;                       // "ftdi_sio", "cdc_acm", "serial8250"
    std::string description;                  // what the operator reads: "FT232R USB UART"
    // What the device is remembered by between runs: the same after replugging it into any
    // socket, and different for two adapters of the same make that carry serial numbers.
    std::string key;
    // Windows numbers its COM ports itself: the number the system gave this one ("COM3" is 3),
    // which it keeps here too (one above COM9 goes without). 0 elsewhere.
    int systemCom = 0;

    bool builtIn() const { return kind != Kind::Usb; }
};

// The serial ports among `records`, built-in ones first (UARTs, then the board's ports), then
// the USB adapters, each group in the natural order of the device names (ttyS2 before ttyS10).
// Placeholders (a ttyS* without a chip), virtual terminals and pseudo-terminals are left out.
std::vector<SerialDevice> serialDevicesFrom(const std::vector<DeviceRecord>& records);

// "ttyS2" before "ttyS10": digits compare as numbers.
bool naturalLess(const std::string& a, const std::string& b);
