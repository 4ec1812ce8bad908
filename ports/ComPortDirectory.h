#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "platform/SerialDeviceScan.h"
#include "ports/ComNumbering.h"
#include "ports/PortStore.h"

// One line of the machine's serial ports as the operator sees them: a device, plugged in or
// remembered, or a network address, with the COM number it stands under.
struct ComPortEntry {
    int com = 0;           // 0: the device has no number
    bool present = false;  // plugged in now (an address counts as present)
    bool overridden = false;
    bool address = false;
    std::string key;      // what the number remembers it by (the address itself for one)
    SerialDevice device;  // for a device not plugged in, only its description is known
};

// The serial devices of the machine with their COM numbers: found by the system's device list,
// numbered, and the numbers remembered in the per-user profile so that each device keeps its
// number between runs. Not thread-safe; the worker makes its own.
class ComPortDirectory {
public:
    using Scan = std::function<std::vector<DeviceRecord>()>;

    explicit ComPortDirectory(PortStore& store, Scan scan = scanTerminalDevices,
                              EnvironmentLookup environment = processEnvironment());

    // Looks at the devices again and remembers the numbers of devices seen for the first time.
    void refresh();
    // Looks at the devices as refresh() does, numbering the new ones for now without
    // remembering anything: for a listing that must leave the profile as it was.
    void survey();

    const ComPlan& plan() const { return m_plan; }
    ComTarget target(int com) const { return comTarget(m_plan, com); }

    // Every numbered thing by number, then the devices without one.
    std::vector<ComPortEntry> entries() const;

    // Whether nothing stands under `com`: no device, remembered or present, no address, no
    // TABULON_COMn.
    bool isFree(int com) const;
    // Gives the device or address remembered by `key` the free number `com` (it gives up the
    // one it had). False, with nothing changed, when `com` is not free.
    bool move(const std::string& key, int com);
    // The free number `com` stands from now on for network serial server `address`
    // ("tcp://host:port", "rfc2217://host:port"). False, with nothing changed, when `com` is not
    // free or the address is malformed.
    bool assignAddress(int com, const std::string& address);
    // `com` stands for nothing any more: the device remembered there is forgotten.
    void release(int com);

    // What the remembered device `key` is, while it is not plugged in.
    std::string rememberedDescription(const std::string& key) const {
        return m_store.description(key);
    }

private:
    PortStore& m_store;
    Scan m_scan;
    EnvironmentLookup m_environment;
    ComPlan m_plan;
};

// "COM3" for 3.
QString comName(int com);
