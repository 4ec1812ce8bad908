// The Windows side of the platform layer, run under Wine: names in UTF-16 end to end, device
// names that are no files, a leftover's writer judged by whether its process still runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/AppendFile.h"
#include "platform/FolderListing.h"
#include "platform/OwnFile.h"
#include "platform/ProcessAlive.h"
#include "platform/SharedFolders.h"
#include "platform/Win32Text.h"

namespace {

namespace fs = std::filesystem;

// A folder of the test's own under the temporary folder, gone afterwards.
class Win32Files : public testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / fs::path(L"tabulon-тест");
        fs::remove_all(m_root);
    }
    void TearDown() override { fs::remove_all(m_root); }
    std::string root() const { return Win32Text::utf8(m_root.wstring()); }

    fs::path m_root;
};

TEST_F(Win32Files, CyrillicNamesSurviveEveryCall) {
    const std::string folder = root() + "\\Котельная №3\\2026-12";
    ASSERT_TRUE(makeSharedFolders(folder));
    const std::string name = "Суточная 01.txt";
    std::ofstream(fs::path(Win32Text::wide(folder + "\\" + name)), std::ios::binary) << "\xD1\xF3\xF2\xEA\xE8";

    const OwnFile file(folder + "\\" + name);
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(file.size(), 5);
    EXPECT_EQ(file.head(100), "\xD1\xF3\xF2\xEA\xE8");
    EXPECT_TRUE(file.isAt(folder + "/" + name)) << "either separator names the same file";

    const FolderListing top(nullptr, root());
    ASSERT_TRUE(top.isOpen());
    ASSERT_EQ(top.entries().size(), 1u);
    EXPECT_EQ(top.entries()[0].name, "Котельная №3");
    EXPECT_EQ(top.entries()[0].kind, FolderListing::Kind::Folder);
    const FolderListing site(&top, "Котельная №3");
    const FolderListing month(&site, "2026-12");
    ASSERT_EQ(month.entries().size(), 1u);
    EXPECT_EQ(month.entries()[0].name, name);
    EXPECT_EQ(month.stamp(name).size, 5);
}

// Names Windows keeps for devices are plain file names in a folder, never the device; a folder
// or a missing name is no file to take either.
TEST_F(Win32Files, OnlyAPlainFileIsOwned) {
    ASSERT_TRUE(makeSharedFolders(root()));
    for (const char* name : {"CON", "NUL", "COM1", "missing.txt", "."})
        EXPECT_FALSE(OwnFile(root() + "\\" + name).isOpen()) << name;
}

// The sent-ledger's appends: each one whole at the end; a folder or a device is no file to grow.
TEST_F(Win32Files, AppendsGoToTheEndOfAPlainFileOnly) {
    ASSERT_TRUE(makeSharedFolders(root() + "\\Котельная"));
    const QString ledger = QString::fromStdString(root() + "\\Котельная\\ledger");
    ASSERT_TRUE(appendFile(ledger, "first\n"));
    ASSERT_TRUE(appendFile(ledger, "second\n"));
    std::ifstream in(fs::path(Win32Text::wide(ledger.toStdString())), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "first\nsecond\n");
    for (const QString& refused : {QString::fromStdString(root()), QStringLiteral("NUL")})
        EXPECT_FALSE(appendFile(refused, "x")) << refused.toStdString();
}

TEST(Win32Text, FilePathsTakeTheLongForm) {
    const struct {
        const char* given;
        const wchar_t* expected;
    } cases[] = {
        {"C:/Архив/./КСМ/../Котельная", L"\\\\?\\C:\\Архив\\Котельная"},
        {"D:\\a\\b.txt", L"\\\\?\\D:\\a\\b.txt"},
        {"relative\\name", L"relative\\name"},
    };
    for (const auto& c : cases) EXPECT_EQ(Win32Text::filePath(c.given), c.expected) << c.given;
}

TEST(Win32Process, EndedProcessIsNotAlive) {
    EXPECT_TRUE(processAlive(currentProcessId()));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    wchar_t command[] = L"cmd.exe /c exit 0";
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &startup, &process));
    WaitForSingleObject(process.hProcess, 30000);
    const std::int64_t pid = process.dwProcessId;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_FALSE(processAlive(pid));
}

}  // namespace
