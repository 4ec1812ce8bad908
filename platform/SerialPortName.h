#pragma once

#include <functional>
#include <optional>
#include <string>

// The operator chooses among COM1..COM9; these are the numbers. They sit with the port names
// because opening "COMn" directly needs them below the numbering rules of ports/.
constexpr int kFirstCom = 1;
constexpr int kLastCom = 9;

// 1..9 for "COM1".."COM9" as the connect command accepts them; 0 for anything else.
inline int comNumberOf(const std::string& name) {
    if (name.size() != 4 || name.compare(0, 3, "COM") != 0) return 0;
    const char digit = name[3];
    return digit >= '1' && digit <= '9' ? digit - '0' : 0;
}

// Looks up an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// Looks in the process environment.
EnvironmentLookup processEnvironment();

// The plain mapping of a port name to a system path, for the tools and tests that name a port
// directly: "COMn" is the device named by the environment variable TABULON_COMn, otherwise the
// n-th built-in serial port. Any other name is returned unchanged, so that opening it fails the
// way an absent port does. The program itself finds the device behind a COM number among the
// devices of the machine (ports/ComPortDirectory.h).
std::string serialPortPath(const std::string& name, const EnvironmentLookup& environment);

// The same, looking in the process environment.
std::string serialPortPath(const std::string& name);

// The system's own device of COM number `n` (1..9), whatever the environment says.
std::string builtInComPath(int n);
