#include "platform/SerialPortName.h"

#include <cstdlib>

EnvironmentLookup processEnvironment() {
    return [](const std::string& variable) -> std::optional<std::string> {
        const char* value = std::getenv(variable.c_str());
        if (!value) return std::nullopt;
        return std::string(value);
    };
}

std::string serialPortPath(const std::string& name) {
    return serialPortPath(name, processEnvironment());
}
