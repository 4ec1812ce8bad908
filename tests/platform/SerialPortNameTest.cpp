#include <gtest/gtest.h>

#include <map>

#include "platform/SerialPortName.h"

namespace {

struct NameCase {
    std::string name;
    std::map<std::string, std::string> environment;
    std::string path;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << '"' << c.name << "\" -> " << c.path;
}

class SerialPortNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(SerialPortNameTest, MapsToSystemPath) {
    const NameCase& c = GetParam();
    const auto lookup = [&](const std::string& variable) -> std::optional<std::string> {
        const auto it = c.environment.find(variable);
        if (it == c.environment.end()) return std::nullopt;
        return it->second;
    };
    EXPECT_EQ(serialPortPath(c.name, lookup), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SerialPortNameTest,
    testing::Values(NameCase{"COM1", {}, "/dev/ttyS0"}, NameCase{"COM9", {}, "/dev/ttyS8"},
                    NameCase{"COM1", {{"TABULON_COM1", "/dev/pts/7"}}, "/dev/pts/7"},
                    // Each port has its own variable; another port's does not leak over.
                    NameCase{"COM2", {{"TABULON_COM1", "/dev/pts/7"}}, "/dev/ttyS1"},
                    NameCase{"COM3", {{"TABULON_COM3", "/dev/ttyUSB0"}}, "/dev/ttyUSB0"},
                    NameCase{"COM1", {{"TABULON_COM1", ""}}, "/dev/ttyS0"},
                    // Only COM1..COM9 are port names; anything else fails to open as it stands.
                    NameCase{"COM0", {{"TABULON_COM0", "/dev/pts/1"}}, "COM0"},
                    NameCase{"COM10", {{"TABULON_COM10", "/dev/pts/1"}}, "COM10"},
                    NameCase{"com1", {}, "com1"}, NameCase{"COM", {}, "COM"}, NameCase{"", {}, ""},
                    NameCase{"COMX", {}, "COMX"}, NameCase{"/dev/ttyUSB0", {}, "/dev/ttyUSB0"}));

TEST(SerialPortNameEnvironment, ReadsTheProcessEnvironment) {
    ::setenv("TABULON_COM7", "/tmp/tabulon-test-port", 1);
    EXPECT_EQ(serialPortPath("COM7"), "/tmp/tabulon-test-port");
    ::unsetenv("TABULON_COM7");
    EXPECT_EQ(serialPortPath("COM7"), "/dev/ttyS6");
}

}  // namespace
