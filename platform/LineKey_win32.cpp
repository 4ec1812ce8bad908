#include <cctype>

#include "platform/LineKey.h"

// A COM port has one name, "\\.\COMn", the system's own and compared without regard to case;
// there are no links to it to follow.
std::string canonicalDevicePath(const std::string& path) {
    std::string canonical = path;
    for (char& c : canonical) {
        if (c == '/') c = '\\';
        c = char(std::toupper(static_cast<unsigned char>(c)));
    }
    return canonical;
}
