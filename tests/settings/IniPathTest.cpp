#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "settings/IniPath.h"
#include "settings/SettingsFile.h"

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
    EXPECT_EQ(iniPathFromExecutablePath(QString::fromUtf8(c.executable), QLatin1Char(c.separator)),
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

namespace {

struct IniPlaceCase {
    const char* name;
    IniPlace place;
    const char* ini;
};

std::ostream& operator<<(std::ostream& os, const IniPlaceCase& c) {
    return os << c.name;
}

class ChooseIniPathTest : public ::testing::TestWithParam<IniPlaceCase> {};

TEST_P(ChooseIniPathTest, PicksTheFileOfThisRun) {
    EXPECT_EQ(chooseIniPath(GetParam().place), QString::fromUtf8(GetParam().ini));
}

const QString kConfig = QStringLiteral("/home/оператор/.config");

INSTANTIATE_TEST_SUITE_P(
    Table, ChooseIniPathTest,
    ::testing::Values(IniPlaceCase{"BuildFolderKeepsItBeside",
                                   {"", "/home/оператор/tabulon/build/Tabulon", true, false,
                                    kConfig},
                                   "/home/оператор/tabulon/build/Tabulon.ini"},
                      IniPlaceCase{"ReadOnlyFolderUsesTheConfigurationFolder",
                                   {"", "/media/cdrom/Tabulon", false, false, kConfig},
                                   "/home/оператор/.config/Tabulon/Tabulon.ini"},
                      IniPlaceCase{"InstalledProgram",
                                   {"", "/usr/bin/Tabulon", false, true, kConfig},
                                   "/home/оператор/.config/Tabulon/Tabulon.ini"},
                      // root may write to /usr/bin, but a file there would outlive the package.
                      IniPlaceCase{"InstalledProgramRunByRoot",
                                   {"", "/usr/bin/Tabulon", true, true, "/root/.config"},
                                   "/root/.config/Tabulon/Tabulon.ini"},
                      IniPlaceCase{"EnvironmentOverBesideTheExecutable",
                                   {"/srv/line2.ini", "/opt/tabulon/Tabulon", true, false, kConfig},
                                   "/srv/line2.ini"},
                      IniPlaceCase{"EnvironmentOverTheConfigurationFolder",
                                   {"/srv/line2.ini", "/usr/bin/Tabulon", false, true, kConfig},
                                   "/srv/line2.ini"},
                      IniPlaceCase{"NoConfigurationFolderFallsBackBeside",
                                   {"", "/usr/bin/Tabulon", false, true, ""},
                                   "/usr/bin/Tabulon.ini"}),
    [](const auto& info) { return std::string(info.param.name); });

// The facts come from the disk: a folder with the installed mark beside it is an installed
// program's, and a configuration folder that does not exist yet is made by the first write.
class IniPlaceOnDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        qputenv("XDG_CONFIG_HOME", root.filePath("home/.config").toUtf8());
        qunsetenv("TABULON_INI");
        ASSERT_TRUE(QDir().mkpath(root.filePath("usr/bin")));
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }

    QTemporaryDir root;
    const QString program = root.filePath("usr/bin/Tabulon");
};

TEST_F(IniPlaceOnDiskTest, UnpackedPackageWritesToAConfigurationFolderItCreates) {
    EXPECT_EQ(chooseIniPath(iniPlaceOf(program)), root.filePath("usr/bin/Tabulon.ini"))
        << "a copied folder keeps the file beside the program";

    ASSERT_FALSE(installedMark().isEmpty());
    const QString mark = QDir::cleanPath(root.filePath("usr/bin/") + installedMark());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(mark).path()));
    QFile(mark).open(QIODevice::WriteOnly);
    const QString ini = chooseIniPath(iniPlaceOf(program));
    EXPECT_EQ(ini, root.filePath("home/.config/Tabulon/Tabulon.ini"));

    ASSERT_FALSE(QFileInfo::exists(root.filePath("home")));
    const auto fail = [](const QString& text, unsigned) {
        ADD_FAILURE() << text.toStdString();
        return 0;
    };
    ASSERT_TRUE(WriteSettingsFile(ini, "COM3", "КСМ-Ж", "19200", fail));
    QString port, device, rate;
    ReadSettingsFile(ini, port, device, rate, fail);
    EXPECT_EQ(port, "COM3");
    EXPECT_EQ(device, "КСМ-Ж");
    EXPECT_EQ(rate, "19200");
}

TEST_F(IniPlaceOnDiskTest, EnvironmentNamesTheFile) {
    qputenv("TABULON_INI", "/srv/line2.ini");
    EXPECT_EQ(chooseIniPath(iniPlaceOf(program)), "/srv/line2.ini");
    qunsetenv("TABULON_INI");
}

}  // namespace
