// On Windows the COM numbers are the system's own: "COMn" is the device \\.\COMn, unless
// TABULON_COMn names another (a network server, or a port of a higher number).
#include "platform/SerialPortName.h"

std::string serialPortPath(const std::string& name, const EnvironmentLookup& environment) {
    const int n = comNumberOf(name);
    if (n == 0) return name;
    if (environment) {
        // An empty value counts as unset: "set TABULON_COM1=" must not make COM1 vanish.
        const std::optional<std::string> value = environment("TABULON_" + name);
        if (value && !value->empty()) return *value;
    }
    return "\\\\.\\" + name;
}
