#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/ProcessPlace.h"

namespace {

// The place another process reports, run by `command`; empty when it could not run.
std::vector<std::string> placeOf(const std::string& command) {
    std::vector<std::string> parts;
    FILE* out = ::popen(command.c_str(), "r");
    if (!out) return parts;
    char line[512];
    while (std::fgets(line, sizeof line, out)) {
        std::string part(line);
        if (!part.empty() && part.back() == '\n') part.pop_back();
        parts.push_back(part);
    }
    return ::pclose(out) == 0 && parts.size() == 3 ? parts : std::vector<std::string>{};
}

// A process of this machine and boot in another pid namespace (as in a container) is told
// apart by its id space alone; one in the same namespace is in the same place.
TEST(ProcessPlace, AnotherPidNamespaceIsAnotherIdSpaceOfTheSameBoot) {
    const ProcessPlace here = currentProcessPlace();
    ASSERT_FALSE(here.machine.empty());
    ASSERT_FALSE(here.boot.empty());
    ASSERT_FALSE(here.idSpace.empty());
    EXPECT_EQ(placeOf(PROCESS_PLACE_PRINTER),
              (std::vector<std::string>{here.machine, here.boot, here.idSpace}));
    if (::geteuid() != 0) GTEST_SKIP() << "a pid namespace needs root";
    const auto there = placeOf(std::string("unshare --pid --fork --mount-proc ") +
                               PROCESS_PLACE_PRINTER + " 2>/dev/null");
    ASSERT_EQ(there.size(), 3u);
    EXPECT_EQ(there[0], here.machine);
    EXPECT_EQ(there[1], here.boot);
    EXPECT_NE(there[2], here.idSpace);
}

}  // namespace
