#pragma once

#include <functional>
#include <optional>
#include <string>

// Looks up an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The system path of serial port `name`. The operator always chooses "COM1".."COM9"; each of
// them can be pointed at any device (a USB adapter, a simulator's pseudo-terminal) through the
// environment variable TABULON_COMn, otherwise it is the n-th built-in serial port. Any other
// name is returned unchanged, so that opening it fails the way an absent port does.
std::string serialPortPath(const std::string& name, const EnvironmentLookup& environment);

// The same, looking in the process environment.
std::string serialPortPath(const std::string& name);
