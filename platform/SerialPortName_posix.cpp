#include "platform/SerialPortName.h"

std::string serialPortPath(const std::string& name, const EnvironmentLookup& environment) {
    const int n = comNumberOf(name);
    if (n == 0) return name;
    if (environment) {
        // An empty value counts as unset: "TABULON_COM1=" in a shell must not make COM1 vanish.
        const std::optional<std::string> value = environment("TABULON_" + name);
        if (value && !value->empty()) return *value;
    }
    return "/dev/ttyS" + std::to_string(n - 1);
}
