#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/SerialDevice.h"
#include "platform/SerialPortName.h"

// What each COM number stands for between runs: a device's key (SerialDevice::key) or the
// address of a network serial server ("tcp://host:port", "rfc2217://host:port").
using ComMemory = std::map<int, std::string>;

// Whether a remembered entry is a network address rather than a device.
bool isComAddress(const std::string& entry);

struct NumberedDevice {
    SerialDevice device;
    int com = 0;              // 0: no number is free for it
    bool overridden = false;  // the number comes from TABULON_COMn
};

struct ComPlan {
    std::vector<NumberedDevice> devices;   // every device, in the order given
    ComMemory memory;                      // the memory given, with the devices seen first now
    std::map<int, std::string> overrides;  // COM number -> path named by TABULON_COMn
};

// Gives every device a COM number the way the operator's platform of old did. A port Windows
// numbered itself has the system's number (SerialDevice::systemCom). A number named by
// TABULON_COMn goes to the device at that path for this run, whatever the memory says; a device
// whose own number is lent that way is left without one meanwhile. A remembered device keeps
// its number. A built-in port seen for the first time takes the lowest free number, a USB
// adapter the lowest free from COM3 on (COM1 and COM2 are the built-in ports' place, used for
// an adapter only when everything above is taken). Numbers remembered for devices that are not
// plugged in and for addresses stay theirs. Whatever is left without a free number gets 0.
ComPlan assignComNumbers(const std::vector<SerialDevice>& devices, const ComMemory& memory,
                         const std::map<int, std::string>& overrides);

// The numbers that TABULON_COM1..TABULON_COM9 name, with the paths they name.
std::map<int, std::string> comOverrides(const EnvironmentLookup& environment);

// What COM number `com` stands for now.
struct ComTarget {
    enum class Kind { None, Device, Address };
    Kind kind = Kind::None;
    std::string path;           // Device: the path to open; Address: the address
    std::string description;    // Device: what the device is, when known
    std::string rememberedKey;  // None: the key of a device remembered there but not plugged in
};
ComTarget comTarget(const ComPlan& plan, int com);
