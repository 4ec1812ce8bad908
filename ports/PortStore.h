#pragma once

#include <QSettings>
#include <QString>
#include <map>
#include <memory>
#include <string>

#include "ports/ComNumbering.h"

// What each COM number stands for, remembered in the per-user profile: group "Ports", one value
// per number ("COM3" = a device key or a network address), and group "PortDescriptions", what
// each remembered device is, so that it can be named while it is unplugged.
class PortStore {
public:
    PortStore();                                 // the per-user profile
    explicit PortStore(const QString& iniPath);  // a file of its own, for tests

    ComMemory load();
    void save(const ComMemory& memory);

    std::string description(const std::string& key) const;
    void setDescription(const std::string& key, const std::string& description);

    // COM number `com` (1..9) stands for a network serial server from now on, in place of
    // whatever it stood for; the address is kept as given ("tcp://host:port").
    void setAddress(int com, const QString& address);
    // COM number `com` stands for nothing any more.
    void release(int com);

private:
    std::unique_ptr<QSettings> m_settings;
};
