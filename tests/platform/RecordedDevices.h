#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "platform/SerialDevice.h"

// Terminal devices as `udevadm info` shows them: one "NAME=value" per line.
inline DeviceRecord recorded(const std::string& text) {
    DeviceRecord record;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) record[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return record;
}

// A PC: the first UART chip on the board, the 8250 driver's placeholder for a second one, a
// virtual console.
inline const std::string kUart0 =
    "DEVNAME=/dev/ttyS0\nDEVPATH=/devices/pnp0/00:04/tty/ttyS0\nSUBSYSTEMS=pnp\n"
    "DRIVERS=serial\nATTR{type}=4\n";
inline const std::string kPlaceholder1 =
    "DEVNAME=/dev/ttyS1\nDEVPATH=/devices/platform/serial8250/tty/ttyS1\n"
    "SUBSYSTEMS=platform\nDRIVERS=serial8250\nATTR{type}=0\n";
inline const std::string kConsole = "DEVNAME=/dev/tty0\nDEVPATH=/devices/virtual/tty/tty0\n";

// An FTDI adapter with serial number `serial` on /dev/ttyUSB<n> in USB socket 1-<socket>, as
// the udev daemon's database describes it.
inline std::string ftdi(const std::string& serial, int n, int socket = 2) {
    const std::string tty = "ttyUSB" + std::to_string(n);
    const std::string at = "1-" + std::to_string(socket);
    return "DEVNAME=/dev/" + tty + "\nDEVPATH=/devices/pci0000:00/0000:00:14.0/usb1/" + at + "/" +
           at + ":1.0/" + tty + "/tty/" + tty +
           "\nSUBSYSTEMS=usb-serial\nDRIVERS=ftdi_sio\nID_BUS=usb\nID_VENDOR_ID=0403\n"
           "ID_MODEL_ID=6001\nID_SERIAL_SHORT=" +
           serial +
           "\nID_VENDOR=FTDI\nID_MODEL=FT232R_USB_UART\nID_MODEL_ENC=FT232R\\x20USB\\x20UART\n"
           "ID_USB_DRIVER=ftdi_sio\nID_USB_INTERFACE_NUM=00\n"
           "DEVLINKS=/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0 "
           "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_" +
           serial + "-if00-port0\n";
}

// A CH340 adapter, which has no serial number, as sysfs alone describes it (no udev daemon).
inline std::string ch340(int n, int socket) {
    const std::string tty = "ttyUSB" + std::to_string(n);
    const std::string at = "1-" + std::to_string(socket);
    return "DEVNAME=/dev/" + tty + "\nDEVPATH=/devices/pci0000:00/0000:00:14.0/usb1/" + at + "/" +
           at + ":1.0/" + tty + "/tty/" + tty +
           "\nSUBSYSTEMS=usb-serial\nDRIVERS=ch341\nATTRS{idVendor}=1a86\n"
           "ATTRS{idProduct}=7523\nATTRS{product}=USB Serial\nATTRS{bInterfaceNumber}=00\n";
}

// A COM port as Windows lists it: the name the system numbered it by, and what SetupAPI tells.
inline std::string windowsPort(const std::string& name, const std::string& hardwareId) {
    const bool usb = hardwareId.rfind("USB", 0) == 0;
    return "PORTNAME=" + name + "\nHARDWARE_ID=" + hardwareId + "\nFRIENDLY_NAME=" +
           (usb ? "USB-SERIAL CH340 (" : "Последовательный порт (") + name + ")\nSERVICE=" +
           (usb ? "CH341SER_A64" : "Serial") + "\n";
}
inline const std::string kWindowsUsb = "USB\\VID_1A86&PID_7523&REV_0254";

inline std::vector<DeviceRecord> recordedMachine(const std::vector<std::string>& texts) {
    std::vector<DeviceRecord> records;
    for (const std::string& text : texts) records.push_back(recorded(text));
    return records;
}
