#include <cerrno>
#include <cstdio>

#include "platform/FileReplace.h"

std::error_code replaceFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return {};
    return {errno, std::generic_category()};
}
