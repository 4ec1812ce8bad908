#include <gtest/gtest.h>

#include "settings/IniPath.h"

namespace {

struct IniPathCase {
    const char* name;
    const char* executable;
    char separator;
    const char* ini;
};

std::ostream& operator<<(std::ostream& os, const IniPathCase& c) {
    return os << c.name;
}

class IniPathTest : public ::testing::TestWithParam<IniPathCase> {};

TEST_P(IniPathTest, CutsBackToLastSeparator) {
    const IniPathCase& c = GetParam();
    EXPECT_EQ(IniPathFromExecutablePath(QString::fromUtf8(c.executable), QLatin1Char(c.separator)),
              QString::fromUtf8(c.ini));
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniPathTest,
    ::testing::Values(
        IniPathCase{"WindowsFolder", "C:\\Program Files\\Tabulon\\Tabulon.HLP", '\\',
                    "C:\\Program Files\\Tabulon\\Tabulon.ini"},
        IniPathCase{"WindowsDriveRoot", "C:\\Tabulon.HLP", '\\', "C:\\Tabulon.ini"},
        IniPathCase{"UnixFolder", "/usr/lib/tabulon/Tabulon", '/', "/usr/lib/tabulon/Tabulon.ini"},
        IniPathCase{"UnixRoot", "/Tabulon", '/', "/Tabulon.ini"},
        IniPathCase{"NoSeparatorKeepsFirstCharacter", "Tabulon.exe", '\\', "TTabulon.ini"},
        IniPathCase{"NoSeparatorUnix", "Tabulon", '/', "TTabulon.ini"},
        IniPathCase{"OneCharacterStaysWhole", "x", '/', "xTabulon.ini"},
        IniPathCase{"OnlySeparator", "\\", '\\', "\\Tabulon.ini"},
        IniPathCase{"TrailingSeparator", "/opt/tabulon/", '/', "/opt/tabulon/Tabulon.ini"},
        IniPathCase{"OtherSeparatorIsAnOrdinaryCharacter", "C:\\dir/Tabulon", '\\',
                    "C:\\Tabulon.ini"},
        IniPathCase{"UnixPathWithBackslashSeparator", "/usr/bin/Tabulon", '\\', "/Tabulon.ini"},
        IniPathCase{"CyrillicFolder", "/home/оператор/Табулон", '/', "/home/оператор/Tabulon.ini"},
        IniPathCase{"Empty", "", '/', "Tabulon.ini"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
