#include <climits>
#include <cstdlib>

#include "platform/LineKey.h"

// Every link resolved: a by-id name and the device itself are one line.
std::string canonicalDevicePath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}
