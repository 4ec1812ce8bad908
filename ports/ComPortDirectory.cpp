#include "ports/ComPortDirectory.h"

#include <algorithm>

#include "platform/NetworkAddress.h"

ComPortDirectory::ComPortDirectory(PortStore& store, Scan scan, EnvironmentLookup environment)
    : m_store(store), m_scan(std::move(scan)), m_environment(std::move(environment)) {}

void ComPortDirectory::survey() {
    m_plan = assignComNumbers(serialDevicesFrom(m_scan ? m_scan() : std::vector<DeviceRecord>{}),
                              m_store.load(), comOverrides(m_environment));
}

void ComPortDirectory::refresh() {
    const ComMemory before = m_store.load();
    survey();
    if (m_plan.memory != before) m_store.save(m_plan.memory);
    for (const NumberedDevice& d : m_plan.devices)
        if (d.com && !d.overridden) m_store.setDescription(d.device.key, d.device.description);
}

std::vector<ComPortEntry> ComPortDirectory::entries() const {
    std::vector<ComPortEntry> numbered, unnumbered;
    for (const NumberedDevice& d : m_plan.devices) {
        ComPortEntry entry{d.com, true, d.overridden, false, d.device.key, d.device};
        (d.com ? numbered : unnumbered).push_back(entry);
    }
    for (const auto& [com, remembered] : m_plan.memory) {
        const bool shown = std::any_of(numbered.begin(), numbered.end(),
                                       [com = com](const ComPortEntry& e) { return e.com == com; });
        if (shown || m_plan.overrides.count(com)) continue;
        ComPortEntry entry{com, false, false, isComAddress(remembered), remembered, {}};
        if (entry.address) {
            entry.present = true;
            entry.device.path = remembered;
        } else {
            entry.device.description = rememberedDescription(remembered);
        }
        numbered.push_back(entry);
    }
    std::sort(numbered.begin(), numbered.end(),
              [](const ComPortEntry& a, const ComPortEntry& b) { return a.com < b.com; });
    numbered.insert(numbered.end(), unnumbered.begin(), unnumbered.end());
    return numbered;
}

bool ComPortDirectory::isFree(int com) const {
    if (com < kFirstCom || com > kLastCom) return false;
    if (m_plan.memory.count(com) || m_plan.overrides.count(com)) return false;
    return std::none_of(m_plan.devices.begin(), m_plan.devices.end(),
                        [com](const NumberedDevice& d) { return d.com == com; });
}

bool ComPortDirectory::move(const std::string& key, int com) {
    if (key.empty() || !isFree(com)) return false;
    ComMemory memory = m_store.load();
    std::erase_if(memory, [&key](const auto& entry) { return entry.second == key; });
    memory[com] = key;
    m_store.save(memory);
    refresh();
    return true;
}

bool ComPortDirectory::assignAddress(int com, const std::string& address) {
    if (!parseNetworkAddress(address) || !isFree(com)) return false;
    ComMemory memory = m_store.load();
    memory[com] = address;
    m_store.save(memory);
    refresh();
    return true;
}

void ComPortDirectory::release(int com) {
    m_store.release(com);
    refresh();
}

QString comName(int com) {
    return QStringLiteral("COM%1").arg(com);
}
