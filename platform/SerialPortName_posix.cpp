#include <cstdlib>

#include "platform/SerialPortName.h"

namespace {

// 1..9 for "COM1".."COM9", 0 for anything else ("COM10", "com1", "COM0").
int comNumber(const std::string& name) {
    if (name.size() != 4 || name.compare(0, 3, "COM") != 0) return 0;
    const char digit = name[3];
    return digit >= '1' && digit <= '9' ? digit - '0' : 0;
}

}  // namespace

std::string serialPortPath(const std::string& name, const EnvironmentLookup& environment) {
    const int n = comNumber(name);
    if (n == 0) return name;
    if (environment) {
        // An empty value counts as unset: "TABULON_COM1=" in a shell must not make COM1 vanish.
        const std::optional<std::string> value = environment("TABULON_" + name);
        if (value && !value->empty()) return *value;
    }
    return "/dev/ttyS" + std::to_string(n - 1);
}

std::string serialPortPath(const std::string& name) {
    return serialPortPath(name, [](const std::string& variable) -> std::optional<std::string> {
        const char* value = std::getenv(variable.c_str());
        if (!value) return std::nullopt;
        return std::string(value);
    });
}
