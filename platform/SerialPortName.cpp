#include "platform/SerialPortName.h"

#include <cstdlib>

EnvironmentLookup processEnvironment() {
    return [](const std::string& variable) -> std::optional<std::string> {
        const char* value = std::getenv(variable.c_str());
        if (!value) return std::nullopt;
        return std::string(value);
    };
}

std::string serialPortPath(const std::string& name, const EnvironmentLookup& environment) {
    const int n = comNumberOf(name);
    if (n == 0) return name;
    if (environment) {
        // An empty value counts as unset: "TABULON_COM1=" must not make COM1 vanish.
        const std::optional<std::string> value = environment("TABULON_" + name);
        if (value && !value->empty()) return *value;
    }
    return builtInComPath(n);
}

std::string serialPortPath(const std::string& name) {
    return serialPortPath(name, processEnvironment());
}
