#include "ports/ComNumbering.h"

#include <algorithm>
#include <set>

namespace {

bool matchesPath(const SerialDevice& device, const std::string& path) {
    return path == device.path ||
           (!device.byId.empty() && path == "/dev/serial/by-id/" + device.byId);
}

// The lowest number of [from, to] that is not in `taken`; 0 if none.
int lowestFree(const std::set<int>& taken, int from, int to) {
    for (int n = from; n <= to; ++n)
        if (!taken.count(n)) return n;
    return 0;
}

int numberFor(const SerialDevice& device, const std::set<int>& taken) {
    if (device.builtIn()) return lowestFree(taken, kFirstCom, kLastCom);
    const int above = lowestFree(taken, 3, kLastCom);
    return above ? above : lowestFree(taken, kFirstCom, 2);
}

}  // namespace

bool isComAddress(const std::string& entry) {
    return entry.find("://") != std::string::npos;
}

std::map<int, std::string> comOverrides(const EnvironmentLookup& environment) {
    std::map<int, std::string> overrides;
    if (!environment) return overrides;
    for (int n = kFirstCom; n <= kLastCom; ++n) {
        // An empty value counts as unset: "TABULON_COM1=" in a shell must not make COM1 vanish.
        const auto value = environment("TABULON_COM" + std::to_string(n));
        if (value && !value->empty()) overrides[n] = *value;
    }
    return overrides;
}

ComPlan assignComNumbers(const std::vector<SerialDevice>& devices, const ComMemory& memory,
                         const std::map<int, std::string>& overrides) {
    ComPlan plan{{}, memory, overrides};
    // A number named by TABULON_COMn is lent for the run, not taken: a device seen first while
    // the demo borrows COM1 must not be remembered under COM2 for good.
    std::set<int> taken;
    for (const auto& [n, entry] : memory) taken.insert(n);

    for (const SerialDevice& device : devices) {
        NumberedDevice numbered{device, 0, false};
        for (const auto& [n, path] : overrides)
            if (matchesPath(device, path)) numbered = {device, n, true};
        // Windows numbers its ports itself; the number stands for that port whatever was
        // remembered there.
        const int own = device.systemCom;
        if (own >= kFirstCom && own <= kLastCom && !numbered.overridden && !overrides.count(own)) {
            numbered.com = own;
            taken.insert(own);
            plan.memory[own] = device.key;
        }
        plan.devices.push_back(numbered);
    }
    // Remembered devices first, so that a newcomer never takes a number that is someone's.
    for (NumberedDevice& d : plan.devices)
        for (const auto& [n, entry] : memory)
            if (!d.overridden && !d.com && entry == d.device.key && !overrides.count(n)) d.com = n;
    for (NumberedDevice& d : plan.devices) {
        if (d.overridden || d.com || d.device.systemCom) continue;
        const bool known = std::any_of(memory.begin(), memory.end(),
                                       [&](const auto& e) { return e.second == d.device.key; });
        if (known) continue;  // its number is overridden for now; it keeps it for later
        const int com = numberFor(d.device, taken);
        if (com) {
            taken.insert(com);
            plan.memory[com] = d.device.key;
            if (!overrides.count(com)) d.com = com;
        }
    }
    return plan;
}

ComTarget comTarget(const ComPlan& plan, int com) {
    ComTarget target;
    for (const NumberedDevice& d : plan.devices)
        if (d.com == com) {
            target.kind = ComTarget::Kind::Device;
            target.path = d.device.path;
            target.description = d.device.description;
            return target;
        }
    if (const auto o = plan.overrides.find(com); o != plan.overrides.end()) {
        target.kind = ComTarget::Kind::Device;  // a path named by hand: a simulator's line, say
        target.path = o->second;
        return target;
    }
    if (const auto m = plan.memory.find(com); m != plan.memory.end()) {
        if (isComAddress(m->second)) {
            target.kind = ComTarget::Kind::Address;
            target.path = m->second;
        } else {
            target.rememberedKey = m->second;
        }
    }
    return target;
}
